#pragma once

// Hands the memory that large tables held, freed by now, back to the system: the allocator would otherwise
// keep it for the process, which then looks as large as at its busiest.
void returnFreedMemory();

// For a short process that handles many files: the heap grows in one large step whose memory the system may
// give in large pages, and what is freed stays for reuse; the heaps its helper threads will use are made
// beside the calling thread and given large pages too. A run over many files touches much new memory once, and
// a large page is one fault where small pages are hundreds.
void preferLargeHeap();
// Waits until the helpers' heaps are made and free for the first helper thread to take; call it before that
// thread starts. Returns at once when there are none to wait for.
void awaitHelperHeaps();
