// The texts of the error messages that bad input produces.
#pragma once

namespace vantrel::message {

inline constexpr const char* kTooFewParameters = "ERROR: Too few parameters.";
inline constexpr const char* kTooLong = "ERROR: parameter string longer than 8191 characters.";
inline constexpr const char* kCodeSyntax = "ERROR: syntax error for <Code> parameter: %s";
inline constexpr const char* kCodeRange = "ERROR: <Code> can only be 1, 2, or 3: %s";
inline constexpr const char* kCubesizeNeedsCode3 =
    "ERROR: <:Cubesize> can only be used with <Code>=3: %s";
inline constexpr const char* kCubesizeSyntax = "ERROR: syntax error for <:Cubesize> parameter: %s";
inline constexpr const char* kCubesizeRange =
    "ERROR: <:Cubesize> can only be 3, 5, 7, 9, or 11: %s";
inline constexpr const char* kParametersSyntax = "ERROR: syntax error for parameters: %s";
inline constexpr const char* kNonInteger = "ERROR: found non-integer value in command line: %s";

}  // namespace vantrel::message
