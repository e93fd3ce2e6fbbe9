// The platform the tool was built for, as the version line names it.
#pragma once

namespace curvetext {

#if defined(_WIN32) && defined(_WIN64)
constexpr const char* kPlatform = "Windows 64-bit";
#elif defined(_WIN32)
constexpr const char* kPlatform = "Windows 32-bit";
#elif defined(__linux__) && defined(__x86_64__)
constexpr const char* kPlatform = "Linux x86_64";
#elif defined(__linux__) && defined(__i386__)
constexpr const char* kPlatform = "Linux i686";
#elif defined(__linux__)
constexpr const char* kPlatform = "Linux";
#else
constexpr const char* kPlatform = "POSIX";
#endif

} // namespace curvetext
