#ifndef QL5CONFIG_COMMANDTEXTS_H
#define QL5CONFIG_COMMANDTEXTS_H

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace ql5 {

// The longest password, in bytes, that a command can carry.
inline constexpr qsizetype kMaxPasswordBytes = 255;

// The bytes sent for a password the user typed: its UTF-8 encoding.
QByteArray PasswordBytes(const QString& password);

// Shown instead of sending a command whose password is too long.
QString PasswordTooLongMessage();

// Shown when a command got no reply in time (result -1, status code 0).
QString NoReplyMessage();

// The IP settings dialog's message for a command that was not carried out:
// the error number and message when the converter gave an error number,
// otherwise the converter's message alone.
QString SettingResultMessage(std::int32_t statusCode, const QString& statusText);

// The reboot dialog's message for a reboot that was not carried out
// (result not 0): the error number and message when there is an error number,
// the no-reply message when the command went unanswered (result -1), and
// otherwise the converter's refusal with its message.
QString RebootResultMessage(std::int32_t result, std::int32_t statusCode,
                            const QString& statusText);

}  // namespace ql5

#endif
