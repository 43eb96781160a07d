#pragma once

// The memory this process holds, in kB, as Linux reports it: resident now,
// or at its peak; -1 when it cannot be read.
long residentKb();
long peakResidentKb();
// What this process has in use, in kB: its resident memory, or under
// AddressSanitizer, which holds freed memory back for a while, what is
// allocated.
long inUseKb();
