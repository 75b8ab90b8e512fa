// Standard output as the exact bytes written, on every system.
#pragma once

// From now on standard output carries exactly the bytes the program writes. On Windows a text
// stream would write each line's end as two characters, and a trace must be the same file on
// every system.
void SetStandardOutputBinary();
