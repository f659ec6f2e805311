#pragma once

// Hands the memory that large tables held, freed by now, back to the system: the allocator would otherwise
// keep it for the process, which then looks as large as at its busiest.
void returnFreedMemory();
