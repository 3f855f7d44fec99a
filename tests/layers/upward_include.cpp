// Compiled once per layer with a header of the layer above it (or, from
// the top, with every layer's header): the build must refuse the first
// and accept the second. See CMakeLists.txt beside this file.
#include KERVALE_PROBE_HEADER_1
#ifdef KERVALE_PROBE_HEADER_2
#include KERVALE_PROBE_HEADER_2
#endif
#ifdef KERVALE_PROBE_HEADER_3
#include KERVALE_PROBE_HEADER_3
#endif
#ifdef KERVALE_PROBE_HEADER_4
#include KERVALE_PROBE_HEADER_4
#endif
#ifdef KERVALE_PROBE_HEADER_5
#include KERVALE_PROBE_HEADER_5
#endif
