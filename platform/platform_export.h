// Export macro of the platform stand-in library (runtime pieces, Vantrel, the model container).
#ifndef TARVO_PLATFORM_EXPORT_H
#define TARVO_PLATFORM_EXPORT_H

#if defined(_WIN32)
#if defined(TARVO_PLATFORM_BUILDING)
#define TARVO_PLATFORM_API __declspec(dllexport)
#else
#define TARVO_PLATFORM_API __declspec(dllimport)
#endif
#else
#define TARVO_PLATFORM_API __attribute__((visibility("default")))
#endif

#endif  // TARVO_PLATFORM_EXPORT_H
