// The heap of a DLL that is loaded and freed again while its process runs (DllPrivateHeap.cpp).
#pragma once

// Destroys the DLL's heap with every block still in it; from then on its allocations go to the
// C library. Called last, when no more of the DLL's code runs.
void ReleaseDllPrivateHeap() noexcept;
