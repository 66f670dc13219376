// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_COMMANDOUTCOME_H
#define QL5CONFIG_COMMANDOUTCOME_H

#include <QString>

#include <cstdint>

namespace ql5config {

// What a command left behind: the client call's result and the context's
// status, read on the thread that made the call, right after it.
struct CommandOutcome {
    std::int32_t result = -1;
    std::int32_t statusCode = -1;
    // The status text as a window shows it (shownConverterText): the
    // converter's message, or the client's own text for a failure on this
    // computer.
    QString statusText;
};

enum class OutcomeKind {
    kCarriedOut,    // result 0
    kErrorNumber,   // the converter refused with an error number (or no context: -1)
    kRefused,       // the converter refused without an error number
    kNoReply,       // nothing came back in time
    kLocalFailure,  // the client gave up with a reason of its own (see classify)
};

// The client gives -1 both when nothing came back and when it gave up for a
// reason of its own (the request could not be made on this computer, or the
// reply did not state the outcome); only in the second case does it write
// that reason over the status text QL5_STATUS_TEXT_SUCCESS.
OutcomeKind classify(const CommandOutcome& outcome);

}  // namespace ql5config

// The request path still lives in the namespace it began in, and names the
// outcome by its plain name.
namespace ql5 {
using ql5config::CommandOutcome;
}  // namespace ql5

#endif
