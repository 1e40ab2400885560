/* The conversion library: record-to-CSV conversion of fixed-length record files by a definition
 * file, whole or in parts that convert independently (on several threads, processes or
 * machines) and join into exactly the bytes of one sequential run.
 *
 * Every function returns SORVEK_OK, or SORVEK_FAILED after which sorvek_last_error() says why,
 * or (converting) SORVEK_STOPPED: the conversion stopped in the data (a record of unknown kind
 * in a variable-length file, an invalid packed field with the option to fail), after the lines
 * before it, and sorvek_last_error() holds the message. Texts are UTF-8. Objects are created by
 * the library and freed by their own free function; a freed object is not used again. Distinct
 * objects may be used on distinct threads at once; one plan or definition may be read by many
 * threads at once. */
#ifndef SORVEK_H
#define SORVEK_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SORVEK_OK 0
#define SORVEK_FAILED 1
#define SORVEK_STOPPED 2

typedef struct sorvek_definition sorvek_definition;
typedef struct sorvek_plan sorvek_plan;

/* Bytes made by the library; release with sorvek_buffer_free. */
typedef struct sorvek_buffer {
    char* data;
    size_t size;
} sorvek_buffer;

/* The library's version, "MAJOR.MINOR.PATCH". */
const char* sorvek_version(void);

/* Why the last call on this thread failed or stopped; "" when it did not. Valid until the next
 * call on this thread. */
const char* sorvek_last_error(void);

/* Loads a definition file (.trd, or a SEWB3 .rcdef) and checks it for conversion. */
int sorvek_definition_load(const char* path, sorvek_definition** definition);
void sorvek_definition_free(sorvek_definition* definition);

/* Plans `parts` parts (at least 1) of the regular file `input`: one sequential read of its
 * class codes. Parts may be empty. */
int sorvek_plan_make(const char* input, const sorvek_definition* definition, int parts,
                     sorvek_plan** plan);
void sorvek_plan_free(sorvek_plan* plan);
int sorvek_plan_parts(const sorvek_plan* plan);
/* The byte range [begin, end) of the input that part `part` covers. */
int sorvek_plan_part_range(const sorvek_plan* plan, int part, int64_t* begin, int64_t* end);

/* Converts part `part` of `plan`, reading its bytes from the file `input`, into `out`. */
int sorvek_convert_part(const char* input, const sorvek_definition* definition,
                        const sorvek_plan* plan, int part, sorvek_buffer* out);
/* The same from the part's bytes in memory: `data` holds the `size` bytes of the part's range. */
int sorvek_convert_part_bytes(const void* data, size_t size, const sorvek_definition* definition,
                              const sorvek_plan* plan, int part, sorvek_buffer* out);
/* The same into the file `output` (replaced only when the part was converted whole). */
int sorvek_convert_part_to_file(const char* input, const sorvek_definition* definition,
                                const sorvek_plan* plan, int part, const char* output);

/* Converts the whole file `input` into `output` with `jobs` workers (0: one per core), the output
 * replaced only when the conversion succeeded: SORVEK_OK, or SORVEK_FAILED with the message
 * (a stop in the data included) as the last error. */
int sorvek_convert(const char* input, const char* output, const sorvek_definition* definition,
                   unsigned jobs);

void sorvek_buffer_free(sorvek_buffer* buffer);

#ifdef __cplusplus
}
#endif

#endif
