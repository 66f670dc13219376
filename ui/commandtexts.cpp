// SPDX-License-Identifier: Apache-2.0
#include "commandtexts.h"

#include "recordtext.h"

#include <QCoreApplication>
#include <QtEndian>

namespace ql5config {

namespace {

// A converter's refusal is its own message, shown alone; only a refusal
// without a message gets the headline, so that the box is never empty.
QString refusal(const QString& headline, const QString& message)
{
    if (message.isEmpty())
        return headline + QLatin1Char('\n');
    return message + QLatin1Char('\n');
}

// The headline and its two lines are one text each for setting and
// rebooting, so that a translation can word each as a whole.
QString errorNumberMessage(bool rebooting, const CommandOutcome& outcome)
{
    const QString text =
        rebooting ? QCoreApplication::translate("ql5config",
                                                "An Error occured while rebooting the converter.\n"
                                                "Error Number: %1\nError Message: %2\n")
                  : QCoreApplication::translate("ql5config",
                                                "An Error occured while setting the converter.\n"
                                                "Error Number: %1\nError Message: %2\n");
    return text.arg(QString::number(outcome.statusCode), outcome.statusText);
}

// The part of a message that every command shares: what to tell about an
// outcome other than an acceptance or an error number.
QString commonOutcomeMessage(const CommandOutcome& outcome, const QString& refusalHeadline)
{
    switch (classify(outcome)) {
    case OutcomeKind::kRefused:
        return refusal(refusalHeadline, outcome.statusText);
    case OutcomeKind::kNoReply:
        return noReplyMessage();
    case OutcomeKind::kLocalFailure:
        return localFailureMessage(outcome.statusText);
    case OutcomeKind::kCarriedOut:
    case OutcomeKind::kErrorNumber:
        break;
    }
    return {};
}

}  // namespace

QByteArray passwordBytes(const QString& password)
{
    return password.toUtf8();
}

QString passwordTooLongMessage()
{
    return QCoreApplication::translate(
               "ql5config",
               "The password is too long: a converter accepts at most %1 bytes.\n"
               "Nothing was sent.\n")
        .arg(kMaxPasswordBytes);
}

QString browserFailedMessage(const QString& address)
{
    return QCoreApplication::translate(
               "ql5config",
               "No web browser could be started.\n"
               "Open this address in a browser to reach the converter's web interface:\n%1\n")
        .arg(address);
}

QString changeCheckMessage(ql5common::VerifyOutcome outcome)
{
    switch (outcome) {
    case ql5common::VerifyOutcome::kConfirmed:
        return QCoreApplication::translate("ql5config",
                                           "The converter now reports the new settings.\n");
    case ql5common::VerifyOutcome::kOldSettings:
        return QCoreApplication::translate(
            "ql5config",
            "The converter accepted the change but still reports its old settings.\n"
            "Some converters apply a change only after a reboot.\n");
    case ql5common::VerifyOutcome::kNoAnswer:
        break;
    }
    return QCoreApplication::translate(
        "ql5config",
        "The converter accepted the change but has not answered since, so the new settings "
        "could not be confirmed.\n");
}

QString plannedSettingsWarning(const QStringList& warnings)
{
    return QCoreApplication::translate(
               "ql5config", "Check these settings before you apply them:\n%1\n\nApply them anyway?")
        .arg(warnings.join(QLatin1Char('\n')));
}

QString noReplyMessage()
{
    return QCoreApplication::translate(
        "ql5config",
        "The converter did not answer.\n"
        "Check that it is switched on and connected, then try again.\n");
}

QString localFailureMessage(const QString& reason)
{
    return QCoreApplication::translate("ql5config",
                                       "The command could not be completed.\n"
                                       "Reason: %1\n")
        .arg(reason);
}

QString settingOutcomeMessage(const CommandOutcome& outcome)
{
    switch (classify(outcome)) {
    case OutcomeKind::kCarriedOut:
        return {};
    case OutcomeKind::kErrorNumber:
        return errorNumberMessage(false, outcome);
    default:
        return commonOutcomeMessage(
            outcome,
            QCoreApplication::translate("ql5config", "The converter refused the settings."));
    }
}

QString rebootOutcomeMessage(const CommandOutcome& outcome)
{
    switch (classify(outcome)) {
    case OutcomeKind::kCarriedOut:
        return {};
    case OutcomeKind::kErrorNumber:
        return errorNumberMessage(true, outcome);
    default:
        return commonOutcomeMessage(
            outcome, QCoreApplication::translate("ql5config", "The converter refused to reboot."));
    }
}

QString staticSettingsProblem(std::uint32_t address, std::uint32_t mask)
{
    if (address == 0) {
        return QCoreApplication::translate(
            "ql5config",
            "The IP address 0.0.0.0 cannot be given to a converter.\n"
            "Enter the address it is to have. Nothing was sent.\n");
    }
    // The one bits of a mask run from the left without a gap: inverted, its
    // zero bits then form a block of ones at the right, and adding one to
    // such a block leaves no bit in common with it.
    const std::uint32_t hostBits = ~mask;
    if (mask == 0 || (hostBits & (hostBits + 1)) != 0) {
        return QCoreApplication::translate(
                   "ql5config",
                   "The subnet mask %1 is not valid: its one bits must be contiguous from the "
                   "left, as in 255.255.255.0.\nNothing was sent.\n")
            .arg(formatDottedDecimal(qToBigEndian(mask)));
    }
    return {};
}

QString partlyBlankGatewayMessage()
{
    return QCoreApplication::translate(
        "ql5config",
        "The default gateway is incomplete: fill in all four fields, or leave them all blank "
        "for none.\nNothing was sent.\n");
}

}  // namespace ql5config
