// The hardening tests' allocation probe, built into this test program as well, so that the large-data
// tests can measure the largest block the IOU readers ask for.
#include "hardening/AllocationProbe.cpp"  // NOLINT(bugprone-suspicious-include)
