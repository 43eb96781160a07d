#pragma once

// The memory this process holds, in kB, -1 when it cannot be read: the
// largest resident size it has had, as Linux reports it; and what it has in
// use now, its resident size, or under AddressSanitizer, which holds freed
// memory back for a while, what is allocated.
long peakResidentKb();
long inUseKb();
