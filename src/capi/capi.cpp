// The C interface over the core: every failure becomes a return code and a thread's last error;
// no exception crosses it.
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "app/definition_options.h"
#include "app/failure_message.h"
#include "capi/include/sorvek.h"
#include "engine/job_count.h"
#include "engine/job_files.h"
#include "engine/part_workers.h"
#include "engine/rec2csv_definition_check.h"
#include "engine/split_plan.h"
#include "engine/tran_csv2rec.h"
#include "engine/tran_rec2csv.h"
#include "formats/load_definition.h"
#include "platform/safe_output.h"

struct sorvek_definition {
    sorvek::RecordDefTable table;
    // The layout of the records sorvek_to_records makes (its record_end argument over it).
    sorvek::RecordOutputOverrides records;
};

struct sorvek_plan {
    sorvek::RecordSplitPlan plan;
};

namespace {

thread_local std::string lastError;
thread_local int lastKind = SORVEK_ERROR_NONE;

using sorvek::FailureKind;

// The C API's code of each kind; a program compiled against the header keeps its numbers.
constexpr std::pair<FailureKind, int> kKindCodes[] = {
    {FailureKind::Failed, SORVEK_ERROR_FAILED},
    {FailureKind::NotFound, SORVEK_ERROR_NOT_FOUND},
    {FailureKind::IsDirectory, SORVEK_ERROR_IS_DIRECTORY},
    {FailureKind::Permission, SORVEK_ERROR_PERMISSION},
    {FailureKind::DeviceOrSocket, SORVEK_ERROR_DEVICE_OR_SOCKET},
    {FailureKind::NoSpace, SORVEK_ERROR_NO_SPACE},
    {FailureKind::ReadError, SORVEK_ERROR_READ},
    {FailureKind::WriteError, SORVEK_ERROR_WRITE},
    {FailureKind::InvalidData, SORVEK_ERROR_INVALID_DATA},
    {FailureKind::InvalidDefinition, SORVEK_ERROR_INVALID_DEFINITION},
    {FailureKind::NotDefinitionFile, SORVEK_ERROR_NOT_DEFINITION_FILE},
    {FailureKind::RefusedArgument, SORVEK_ERROR_REFUSED_ARGUMENT},
    {FailureKind::Cancelled, SORVEK_ERROR_CANCELLED},
    {FailureKind::NoMemory, SORVEK_ERROR_NO_MEMORY},
};

int kindCode(FailureKind kind) {
    for (const auto& [k, code] : kKindCodes) {
        if (k == kind) return code;
    }
    return SORVEK_ERROR_FAILED;
}

// Keeps what the console program would show for `failure`.
int failed(const sorvek::Failure& failure, int code = SORVEK_FAILED) {
    lastError = sorvek::failureMessage(failure).text;
    lastKind = kindCode(failure.kind);
    return code;
}

int refused(const char* text) {
    return failed(sorvek::failure(text, sorvek::FailureKind::RefusedArgument));
}

// Runs `work`, turning an escaping exception (memory) into a failure.
template <class Work>
int guarded(Work work) {
    lastError.clear();
    lastKind = SORVEK_ERROR_NONE;
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return failed(sorvek::failure("メモリが足りません。", sorvek::FailureKind::NoMemory));
    } catch (const std::exception& e) {
        return failed(sorvek::failure(e.what()));
    }
}

int handOver(sorvek::PartResult& result, sorvek_buffer* out) {
    out->size = result.bytes.size();
    out->data = static_cast<char*>(std::malloc(out->size == 0 ? 1 : out->size));
    if (out->data == nullptr) {
        return failed(sorvek::failure("メモリが足りません。", sorvek::FailureKind::NoMemory));
    }
    if (out->size > 0) std::memcpy(out->data, result.bytes.data(), out->size);
    if (result.stopMessage.empty()) return SORVEK_OK;
    return failed(sorvek::dataStop(result.stopMessage), SORVEK_STOPPED);
}

bool badPart(const sorvek_plan* plan, int part) {
    return plan == nullptr || part < 0 || static_cast<std::size_t>(part) >= plan->plan.parts.size();
}

}  // namespace

extern "C" {

const char* sorvek_version(void) {
    return SORVEK_VERSION_TEXT;
}

const char* sorvek_last_error(void) {
    return lastError.c_str();
}

int sorvek_last_error_kind(void) {
    return lastKind;
}

const char* sorvek_error_kind_name(int kind) {
    if (kind == SORVEK_ERROR_NONE) return "none";
    for (const auto& [k, code] : kKindCodes) {
        if (code == kind) return sorvek::failureKindName(k);
    }
    return "";
}

int sorvek_definition_load(const char* path, sorvek_definition** definition) {
    return guarded([&] {
        if (path == nullptr || definition == nullptr) return refused("引数がありません。");
        auto loaded = std::make_unique<sorvek_definition>();
        loaded->table.reset(2);
        const auto result = sorvek::loadDefinition(path, loaded->table);
        if (!result) {
            return failed(sorvek::failure(sorvek::loadFailureText(path, result.error()),
                                          result.error().kind));
        }
        if (sorvek::Status checked = sorvek::checkRec2CsvDefinition(loaded->table); !checked) {
            return failed(checked.error());
        }
        *definition = loaded.release();
        return SORVEK_OK;
    });
}

void sorvek_definition_free(sorvek_definition* definition) {
    delete definition;
}

int sorvek_definition_set_option(sorvek_definition* definition, const char* name,
                                 const char* value) {
    return guarded([&] {
        if (definition == nullptr || name == nullptr || value == nullptr) {
            return refused("引数がありません。");
        }
        const std::string key = name;
        const sorvek::DefinitionOption* option = sorvek::findDefinitionOption(key);
        if (option == nullptr || key.find('-') != std::string::npos) {
            return refused(("不明な出力形式です: " + key).c_str());
        }
        sorvek::RunOverrides overrides;
        if (!option->take(value, overrides)) {
            return refused(sorvek::optionValueRefusal(*option, key, value).c_str());
        }
        // Tried on a copy: a value the definition check refuses leaves the definition as it was.
        sorvek::RecordDefTable table = definition->table;
        sorvek::applyOutputOverrides(overrides.output, table);
        sorvek::applyInputOverrides(overrides.input, table);
        if (sorvek::Status checked = sorvek::checkRec2CsvDefinition(table); !checked) {
            return failed(checked.error());
        }
        definition->table = std::move(table);
        if (overrides.records.end) definition->records.end = overrides.records.end;
        if (overrides.records.blockSize)
            definition->records.blockSize = overrides.records.blockSize;
        return SORVEK_OK;
    });
}

int sorvek_plan_make(const char* input, const sorvek_definition* definition, int parts,
                     sorvek_plan** plan) {
    return guarded([&] {
        if (input == nullptr || definition == nullptr || plan == nullptr || parts < 1) {
            return refused("引数が正しくありません。");
        }
        auto made =
            sorvek::planRec2CsvParts(sorvek::osFileSystem(), input, definition->table, parts);
        if (!made) return failed(made.error());
        *plan = new sorvek_plan{std::move(*made)};
        return SORVEK_OK;
    });
}

void sorvek_plan_free(sorvek_plan* plan) {
    delete plan;
}

int sorvek_plan_parts(const sorvek_plan* plan) {
    return plan == nullptr ? 0 : static_cast<int>(plan->plan.parts.size());
}

int sorvek_plan_part_range(const sorvek_plan* plan, int part, int64_t* begin, int64_t* end) {
    lastError.clear();
    lastKind = SORVEK_ERROR_NONE;
    if (badPart(plan, part) || begin == nullptr || end == nullptr) {
        return refused("部分の番号が計画にありません。");
    }
    *begin = plan->plan.parts[static_cast<std::size_t>(part)].offset;
    *end = plan->plan.end(static_cast<std::size_t>(part));
    return SORVEK_OK;
}

int sorvek_convert_part(const char* input, const sorvek_definition* definition,
                        const sorvek_plan* plan, int part, sorvek_buffer* out) {
    return guarded([&] {
        if (input == nullptr || definition == nullptr || out == nullptr || badPart(plan, part)) {
            return refused("引数が正しくありません。");
        }
        auto result =
            sorvek::convertRec2CsvFilePart(sorvek::osFileSystem(), input, definition->table,
                                           plan->plan, static_cast<std::size_t>(part));
        if (!result) return failed(result.error());
        return handOver(*result, out);
    });
}

int sorvek_convert_part_bytes(const void* data, size_t size, const sorvek_definition* definition,
                              const sorvek_plan* plan, int part, sorvek_buffer* out) {
    return guarded([&] {
        if ((data == nullptr && size > 0) || definition == nullptr || out == nullptr ||
            badPart(plan, part)) {
            return refused("引数が正しくありません。");
        }
        const std::size_t index = static_cast<std::size_t>(part);
        const sorvek::RecordPartStart& start = plan->plan.parts[index];
        if (static_cast<std::int64_t>(size) != plan->plan.end(index) - start.offset) {
            return refused("部分のバイト数が計画と違います。");
        }
        sorvek::RecordDefTable table = definition->table;
        const sorvek::Rec2CsvText text = sorvek::prepareRec2CsvRun(table);
        sorvek::PartResult result =
            sorvek::convertRec2CsvPart(table, text, start, static_cast<const unsigned char*>(data),
                                       size, index + 1 == plan->plan.parts.size(), index == 0);
        return handOver(result, out);
    });
}

int sorvek_convert_part_to_file(const char* input, const sorvek_definition* definition,
                                const sorvek_plan* plan, int part, const char* output) {
    return guarded([&] {
        if (output == nullptr) return refused("引数が正しくありません。");
        sorvek_buffer bytes{nullptr, 0};
        const int converted = sorvek_convert_part(input, definition, plan, part, &bytes);
        if (converted != SORVEK_OK) {
            sorvek_buffer_free(&bytes);
            return converted;
        }
        const sorvek::Status written = sorvek::replaceFileContents(
            sorvek::osFileSystem(), output, std::string_view(bytes.data, bytes.size));
        sorvek_buffer_free(&bytes);
        if (!written) {
            return failed(
                sorvek::fileFailure(sorvek::FailureSubject::OutputWrite, output, written.error()));
        }
        return SORVEK_OK;
    });
}

int sorvek_convert(const char* input, const char* output, const sorvek_definition* definition,
                   unsigned jobs) {
    return guarded([&] {
        if (input == nullptr || output == nullptr || definition == nullptr) {
            return refused("引数が正しくありません。");
        }
        if (jobs > sorvek::kMaxJobs) {
            const std::string text = "jobs には 0 (自動) から " + std::to_string(sorvek::kMaxJobs) +
                                     " までを指定してください: " + std::to_string(jobs);
            return refused(text.c_str());
        }
        sorvek::SilentProgress progress;
        sorvek::EngineContext context{progress};
        context.jobs = sorvek::chooseJobCount(jobs, input, context.files).jobs;
        sorvek::RecordDefTable table = definition->table;
        const sorvek::Status converted = sorvek::tranRec2Csv(input, output, table, context);
        if (converted) return SORVEK_OK;
        return failed(converted.error());
    });
}

int sorvek_to_records(const char* input, const char* output, const sorvek_definition* definition,
                      int record_end) {
    return guarded([&] {
        if (input == nullptr || output == nullptr || definition == nullptr ||
            record_end < SORVEK_RECORD_END_NONE || record_end > SORVEK_RECORD_END_LF) {
            return refused("引数が正しくありません。");
        }
        sorvek::SilentProgress progress;
        sorvek::EngineContext context{progress};
        sorvek::RecordDefTable table = definition->table;
        static_assert(static_cast<int>(sorvek::RecordEnd::CrLf) == SORVEK_RECORD_END_CRLF &&
                      static_cast<int>(sorvek::RecordEnd::Lf) == SORVEK_RECORD_END_LF);
        sorvek::RecordOutputOptions layout;
        definition->records.applyTo(layout);
        layout.end = static_cast<sorvek::RecordEnd>(record_end);
        const sorvek::Status made = sorvek::tranCsv2Rec(input, output, table, layout, context);
        if (made) return SORVEK_OK;
        return failed(made.error());
    });
}

void sorvek_buffer_free(sorvek_buffer* buffer) {
    if (buffer == nullptr) return;
    std::free(buffer->data);
    buffer->data = nullptr;
    buffer->size = 0;
}

}  // extern "C"
