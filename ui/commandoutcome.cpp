// SPDX-License-Identifier: Apache-2.0
#include "commandoutcome.h"

#include <ql5/discovery.h>

namespace ql5config {

OutcomeKind classify(const CommandOutcome& outcome)
{
    if (outcome.result == 0)
        return OutcomeKind::kCarriedOut;
    if (outcome.statusCode != 0)
        return OutcomeKind::kErrorNumber;
    if (outcome.result != -1)
        return OutcomeKind::kRefused;
    if (outcome.statusText.isEmpty() ||
        outcome.statusText == QLatin1String(QL5_STATUS_TEXT_SUCCESS))
        return OutcomeKind::kNoReply;
    return OutcomeKind::kLocalFailure;
}

}  // namespace ql5config
