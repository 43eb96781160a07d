#pragma once

// The memory this process holds, in kB, as Linux reports it: resident now,
// or at its peak; -1 when it cannot be read.
long residentKb();
long peakResidentKb();
