// Keeps the support library non-empty while the suites grow.
