// SPDX-License-Identifier: Apache-2.0
// ql5ctl's standard streams, in the system's own terms.
#pragma once

namespace ql5ctl {

// Makes the standard streams carry the bytes that ql5ctl writes unchanged, so
// that its output is the same on every system: on Windows, line feeds stay
// line feeds (no carriage returns are added) and the console shows UTF-8.
void UseByteExactStandardStreams();

// Whether standard error is a terminal (or console), where texts from the
// network are shown with their control characters made visible.
bool StandardErrorIsTerminal();

}  // namespace ql5ctl
