// Compiled only for the precompiled headers of cmake/HopwisePch.cmake.
