// The shared library is the C API's archive linked whole; this unit only gives it a source.
#include "capi/include/sorvek.h"
