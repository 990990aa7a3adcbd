// Whether the decoders verify checksums: the CRC-32 of every PNG chunk and the
// Adler-32 that ends a zlib stream. Always on in a normal build. A fuzzing
// build (GLIMMERDOME_FUZZING) turns them off so that mutated inputs get past
// the checksums and reach the filters and inflate; never ship such a build.
#pragma once

namespace gd {

#ifdef GLIMMERDOME_FUZZING
inline constexpr bool kVerifyChecksums = false;
#else
inline constexpr bool kVerifyChecksums = true;
#endif

}  // namespace gd
