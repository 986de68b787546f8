// Filled in by the plotting test suite.
