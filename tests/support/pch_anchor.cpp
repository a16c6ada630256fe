// The source the tests' precompiled headers are built for; it holds nothing itself.
