/* The conversion library: record-to-CSV conversion of fixed-length record files by a definition
 * file, whole or in parts that convert independently (on several threads, processes or
 * machines) and join into exactly the bytes of one sequential run.
 *
 * Every function returns SORVEK_OK, or SORVEK_FAILED after which sorvek_last_error() says why
 * (the text the console program shows) and sorvek_last_error_kind() what kind of failure it was,
 * or (converting) SORVEK_STOPPED: the conversion stopped in the data (a record of unknown kind
 * in a variable-length file, an invalid packed field with the option to fail), after the lines
 * before it, and sorvek_last_error() holds the message (kind SORVEK_ERROR_INVALID_DATA). Texts
 * are UTF-8. Objects are created by
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

/* The kinds of failure (sorvek_last_error_kind). */
#define SORVEK_ERROR_NONE 0
#define SORVEK_ERROR_FAILED 1               /* nothing more specific is known */
#define SORVEK_ERROR_NOT_FOUND 2            /* no such file or folder */
#define SORVEK_ERROR_IS_DIRECTORY 3         /* a folder where a file is needed */
#define SORVEK_ERROR_PERMISSION 4           /* access refused, a read-only file system */
#define SORVEK_ERROR_DEVICE_OR_SOCKET 5     /* a device, FIFO or socket that cannot serve */
#define SORVEK_ERROR_NO_SPACE 6             /* the disk is full */
#define SORVEK_ERROR_READ 7                 /* reading failed */
#define SORVEK_ERROR_WRITE 8                /* writing failed */
#define SORVEK_ERROR_INVALID_DATA 9         /* the data cannot be converted by the definition */
#define SORVEK_ERROR_INVALID_DEFINITION 10  /* the definition cannot be used */
#define SORVEK_ERROR_NOT_DEFINITION_FILE 11 /* the file is no definition file */
#define SORVEK_ERROR_REFUSED_ARGUMENT 12    /* an argument that cannot be taken */
#define SORVEK_ERROR_CANCELLED 13           /* stopped */
#define SORVEK_ERROR_NO_MEMORY 14           /* memory ran out */

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

/* The kind of the last failure or stop on this thread (SORVEK_ERROR_*); SORVEK_ERROR_NONE when
 * the last call succeeded. */
int sorvek_last_error_kind(void);

/* The name of a kind: "not_found", "is_directory", ... ("none" for SORVEK_ERROR_NONE, "" for a
 * number that is no kind). */
const char* sorvek_error_kind_name(int kind);

/* Loads a definition file (.trd, or a SEWB3 .rcdef) and checks it for conversion. */
int sorvek_definition_load(const char* path, sorvek_definition** definition);
void sorvek_definition_free(sorvek_definition* definition);

/* Sets one option over the definition's own, by the Python module's name and the console
 * program's word for its value: ("format", "xlsx"), ("split_kinds", "on"), ("encoding",
 * "utf-8"), ("trim", "on"), ("input_code_page", "ibm930"), ("block_size", "4096"), ... A name or
 * a value that is none of them is refused (SORVEK_ERROR_REFUSED_ARGUMENT) and the definition
 * stays as it was. With split_kinds on (and format csv), sorvek_convert writes one file per record
 * kind, "out.csv" as "out.<kind>.csv", instead of `output`; with format xlsx, one workbook with a
 * sheet per kind. */
int sorvek_definition_set_option(sorvek_definition* definition, const char* name,
                                 const char* value);

/* Plans `parts` parts (at least 1, at most 100000: more is refused) of the regular file `input`:
 * one sequential read of its class codes. Parts may be empty. */
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

/* Converts the whole file `input` into `output` with `jobs` workers (0: as many as pay on this
 * machine; a count that cannot beat one job here, on two cores or fewer or for a file under
 * 64 MiB, runs as one job, with the same bytes; at most 256, more is refused,
 * SORVEK_ERROR_REFUSED_ARGUMENT), the output replaced only when the
 * conversion succeeded: SORVEK_OK, or SORVEK_FAILED with the message (a stop in the data
 * included) as the last error. */
int sorvek_convert(const char* input, const char* output, const sorvek_definition* definition,
                   unsigned jobs);

/* What follows each record that sorvek_to_records makes in a fixed-length Shift-JIS file. */
#define SORVEK_RECORD_END_NONE 0
#define SORVEK_RECORD_END_CRLF 1
#define SORVEK_RECORD_END_LF 2

/* Makes the delimited text `input` (as sorvek_convert writes it, or typed by people) back into
 * the records of `definition` in `output`, replaced only when every line made its records;
 * `record_end` is one of SORVEK_RECORD_END_*. SORVEK_FAILED with the message (a value that
 * cannot be held names its line, column and field; kind SORVEK_ERROR_INVALID_DATA). */
int sorvek_to_records(const char* input, const char* output, const sorvek_definition* definition,
                      int record_end);

void sorvek_buffer_free(sorvek_buffer* buffer);

#ifdef __cplusplus
}
#endif

#endif
