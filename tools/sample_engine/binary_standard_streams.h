#pragma once

// The engine's messages end with a zero byte and its answers with "\n"; both
// must cross the pipes unchanged. On Windows the standard streams start in
// text mode, which turns "\n" into "\r\n" on the way out and may stop reading
// at a Ctrl-Z byte; elsewhere they are binary already.

namespace sample_engine {

// Puts standard input and output into binary mode on Windows; does nothing
// elsewhere. Call it before the first read or write.
void MakeStandardStreamsBinary();

} // namespace sample_engine
