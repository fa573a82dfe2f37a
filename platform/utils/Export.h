#pragma once
// The one export macro of the toolkit: symbols are hidden unless marked with it.

#if defined(_WIN32)
#if defined(ZENTRIK_BUILDING)
#define ZENTRIK_API __declspec(dllexport)
#else
#define ZENTRIK_API __declspec(dllimport)
#endif
#else
#define ZENTRIK_API __attribute__((visibility("default")))
#endif
