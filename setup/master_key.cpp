#include "master_key.h"

// Not const: the compiler must keep every byte in the data section instead of folding
// the text into the code that reads it. `used` keeps it even if nothing referred to it.
extern "C" {
__attribute__((used)) char MasterRegistryKey[kMasterKeySize] =
    "@: Master Database Registry Key 0 :@";
}
