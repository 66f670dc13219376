#include "commandtexts.h"

namespace ql5 {

QByteArray PasswordBytes(const QString& password)
{
    return password.toUtf8();
}

QString PasswordTooLongMessage()
{
    return QStringLiteral(
               "The password is too long: a converter accepts at most %1 bytes.\n"
               "Nothing was sent.\n")
        .arg(kMaxPasswordBytes);
}

QString NoReplyMessage()
{
    return QStringLiteral(
        "The converter did not answer.\n"
        "Check that it is switched on and connected, then try again.\n");
}

QString SettingResultMessage(std::int32_t statusCode, const QString& statusText)
{
    if (statusCode != 0) {
        return QStringLiteral(
                   "An Error occured while setting the converter.\n"
                   "Error Number: %1\nError Message: %2\n")
            .arg(QString::number(statusCode), statusText);
    }
    return statusText + QLatin1Char('\n');
}

QString RebootResultMessage(std::int32_t result, std::int32_t statusCode, const QString& statusText)
{
    if (statusCode != 0) {
        return QStringLiteral(
                   "An Error occured while rebooting the converter.\n"
                   "Error Number: %1\nError Message: %2\n")
            .arg(QString::number(statusCode), statusText);
    }
    // Without an error number the outcome is either silence or a refusal;
    // neither of them means that the converter is rebooting.
    if (result == -1)
        return NoReplyMessage();
    return QStringLiteral("The converter refused to reboot.\nMessage: %1\n").arg(statusText);
}

}  // namespace ql5
