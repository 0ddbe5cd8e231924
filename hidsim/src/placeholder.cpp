// Filled in by the simulated device library.
