/* The C API through sorvek.dll: converts INPUT into OUTPUT with DEFINITION as sorvek-cli /C
 * does; on failure prints the library's message and kind and exits 1. Run by
 * scripts/test-windows.sh under wine. */
#include <stdio.h>

#include "sorvek.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: capi_convert INPUT OUTPUT DEFINITION\n");
        return 2;
    }
    sorvek_definition* definition = NULL;
    if (sorvek_definition_load(argv[3], &definition) != SORVEK_OK ||
        sorvek_convert(argv[1], argv[2], definition, 2) != SORVEK_OK) {
        printf("%s\n%s\n", sorvek_error_kind_name(sorvek_last_error_kind()), sorvek_last_error());
        sorvek_definition_free(definition);
        return 1;
    }
    sorvek_definition_free(definition);
    printf("%s\n", sorvek_version());
    return 0;
}
