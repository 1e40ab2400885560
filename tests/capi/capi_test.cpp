// The C API through the shared library, as a program that links it sees it.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "formats/trd_file.h"
#include "sorvek.h"
#include "support/bytes_equal.h"
#include "support/random_records.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

class CapiTest : public ::testing::Test {
  protected:
    void TearDown() override {
        sorvek_plan_free(plan);
        sorvek_definition_free(definition);
    }
    // Writes the case's definition and data; loads the definition.
    void load(const RandomCase& c) {
        ASSERT_TRUE(writeTrdFile(dir.file("d.trd"), c.table));
        dir.write("in.dat", c.input);
        sorvek_definition_free(definition);
        definition = nullptr;
        ASSERT_EQ(SORVEK_OK, sorvek_definition_load(dir.file("d.trd").c_str(), &definition))
            << sorvek_last_error();
    }

    TempDir dir;
    sorvek_definition* definition = nullptr;
    sorvek_plan* plan = nullptr;
};

TEST_F(CapiTest, JoinedPartsFromFileAndMemoryEqualTheWholeConversion) {
    std::mt19937 rng(115);
    const std::string in = dir.file("in.dat");
    for (int round = 0; round < 40; ++round) {
        load(randomCase(rng));
        const int whole =
            sorvek_convert(in.c_str(), dir.file("out.csv").c_str(), definition, 1 + round % 3);
        const std::string expected = whole == SORVEK_OK ? readFile(dir.file("out.csv")) : "";
        const std::string message = whole == SORVEK_OK ? "" : sorvek_last_error();
        const std::string data = readFile(in);
        for (int parts = 1; parts <= 9; ++parts) {
            sorvek_plan_free(plan);
            plan = nullptr;
            ASSERT_EQ(SORVEK_OK, sorvek_plan_make(in.c_str(), definition, parts, &plan));
            ASSERT_EQ(parts, sorvek_plan_parts(plan));
            std::string joined, stop;
            for (int p = 0; p < parts && stop.empty(); ++p) {
                std::int64_t begin = 0, end = 0;
                ASSERT_EQ(SORVEK_OK, sorvek_plan_part_range(plan, p, &begin, &end));
                sorvek_buffer fromFile{nullptr, 0}, fromMemory{nullptr, 0};
                const int a = sorvek_convert_part(in.c_str(), definition, plan, p, &fromFile);
                if (a == SORVEK_STOPPED) stop = sorvek_last_error();
                const int b = sorvek_convert_part_bytes(data.data() + begin,
                                                        static_cast<std::size_t>(end - begin),
                                                        definition, plan, p, &fromMemory);
                ASSERT_NE(SORVEK_FAILED, a) << sorvek_last_error();
                EXPECT_EQ(a, b);
                const std::string partBytes(fromFile.data, fromFile.size);
                EXPECT_BYTES_EQ(partBytes, std::string(fromMemory.data, fromMemory.size));
                joined += partBytes;
                sorvek_buffer_free(&fromFile);
                sorvek_buffer_free(&fromMemory);
            }
            if (whole == SORVEK_OK) {
                EXPECT_BYTES_EQ(expected, joined) << "round " << round << ", parts " << parts;
                EXPECT_EQ("", stop);
            } else {
                EXPECT_EQ(message, stop) << "round " << round << ", parts " << parts;
            }
        }
    }
}

TEST_F(CapiTest, FailuresSayWhyAndPartsGoToFiles) {
    EXPECT_EQ(SORVEK_FAILED, sorvek_definition_load(dir.file("none.trd").c_str(), &definition));
    EXPECT_NE(std::string::npos, std::string(sorvek_last_error()).find("none.trd"));

    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    ASSERT_EQ(SORVEK_OK, sorvek_definition_load((samples + "orders.trd").c_str(), &definition));
    EXPECT_STREQ("", sorvek_last_error());
    EXPECT_EQ(SORVEK_FAILED,
              sorvek_plan_make(dir.file("missing.dat").c_str(), definition, 2, &plan));
    EXPECT_NE(std::string::npos, std::string(sorvek_last_error()).find("missing.dat"));
    ASSERT_EQ(SORVEK_OK, sorvek_plan_make((samples + "orders.dat").c_str(), definition, 2, &plan));
    std::int64_t begin = 0, end = 0;
    EXPECT_EQ(SORVEK_FAILED, sorvek_plan_part_range(plan, 2, &begin, &end));
    EXPECT_EQ(SORVEK_ERROR_REFUSED_ARGUMENT, sorvek_last_error_kind());
    sorvek_buffer wrong{nullptr, 0};
    EXPECT_EQ(SORVEK_FAILED, sorvek_convert_part_bytes("x", 1, definition, plan, 1, &wrong));

    // Every kind has a name of its own, which a program may show or compare.
    std::set<std::string> names;
    for (int kind = SORVEK_ERROR_NONE; kind <= SORVEK_ERROR_NO_MEMORY; ++kind) {
        names.insert(sorvek_error_kind_name(kind));
    }
    EXPECT_EQ(static_cast<std::size_t>(SORVEK_ERROR_NO_MEMORY + 1), names.size());
    EXPECT_EQ(0u, names.count(""));
    EXPECT_STREQ("not_found", sorvek_error_kind_name(SORVEK_ERROR_NOT_FOUND));
    EXPECT_STREQ("", sorvek_error_kind_name(SORVEK_ERROR_NO_MEMORY + 1));

    std::string joined;
    for (int p = 0; p < 2; ++p) {
        const std::string out = dir.file("part" + std::to_string(p));
        ASSERT_EQ(SORVEK_OK, sorvek_convert_part_to_file((samples + "orders.dat").c_str(),
                                                         definition, plan, p, out.c_str()));
        joined += readFile(out);
    }
    EXPECT_BYTES_EQ(readFile(samples + "orders.csv"), joined);

    // And back: the text makes the records it came from.
    ASSERT_EQ(SORVEK_OK,
              sorvek_to_records((samples + "orders.csv").c_str(), dir.file("back.dat").c_str(),
                                definition, SORVEK_RECORD_END_CRLF))
        << sorvek_last_error();
    EXPECT_BYTES_EQ(readFile(samples + "orders.dat"), readFile(dir.file("back.dat")));
    EXPECT_EQ(SORVEK_FAILED, sorvek_to_records((samples + "orders.csv").c_str(),
                                               dir.file("back.dat").c_str(), definition, 7));
    EXPECT_EQ(SORVEK_ERROR_REFUSED_ARGUMENT, sorvek_last_error_kind());

    // Counts beyond any use are refused, not tried: a thread or a part each would end the
    // process or take gigabytes.
    EXPECT_EQ(SORVEK_FAILED, sorvek_convert((samples + "orders.dat").c_str(),
                                            dir.file("all.csv").c_str(), definition, UINT_MAX));
    EXPECT_EQ(SORVEK_ERROR_REFUSED_ARGUMENT, sorvek_last_error_kind());
    sorvek_plan* huge = nullptr;
    EXPECT_EQ(SORVEK_FAILED,
              sorvek_plan_make((samples + "orders.dat").c_str(), definition, 10000000, &huge));
    EXPECT_EQ(SORVEK_ERROR_REFUSED_ARGUMENT, sorvek_last_error_kind());
    EXPECT_STREQ(SORVEK_VERSION_FOR_TESTS, sorvek_version());
}

TEST_F(CapiTest, OptionsOverTheDefinitionShapeTheOutputOrAreRefusedLeavingItAsItWas) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    const std::string in = samples + "orders.dat";
    ASSERT_EQ(SORVEK_OK, sorvek_definition_load((samples + "orders.trd").c_str(), &definition));
    EXPECT_EQ(SORVEK_FAILED, sorvek_definition_set_option(definition, "format", "pdf"));
    EXPECT_EQ(SORVEK_ERROR_REFUSED_ARGUMENT, sorvek_last_error_kind());
    EXPECT_NE(std::string::npos, std::string(sorvek_last_error()).find("csv|xlsx"));
    EXPECT_EQ(SORVEK_FAILED, sorvek_definition_set_option(definition, "zoned-sign", "off"));
    EXPECT_EQ(SORVEK_FAILED, sorvek_definition_set_option(definition, "colour", "red"));
    const std::string out = dir.file("out.csv");
    ASSERT_EQ(SORVEK_OK, sorvek_convert(in.c_str(), out.c_str(), definition, 1));
    EXPECT_BYTES_EQ(readFile(samples + "orders.csv"), readFile(out));

    ASSERT_EQ(SORVEK_OK, sorvek_definition_set_option(definition, "split_kinds", "on"));
    ASSERT_EQ(SORVEK_OK, sorvek_convert(in.c_str(), dir.file("kinds.csv").c_str(), definition, 2));
    EXPECT_FALSE(std::filesystem::exists(dir.file("kinds.csv")));
    int kindFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        kindFiles += entry.path().filename().string().starts_with("kinds.");
    }
    EXPECT_EQ(1, kindFiles);  // its header and detail make one line: one kind writes lines

    // A workbook is one file, a zip archive, whatever split_kinds says.
    ASSERT_EQ(SORVEK_OK, sorvek_definition_set_option(definition, "format", "xlsx"));
    ASSERT_EQ(SORVEK_OK, sorvek_convert(in.c_str(), dir.file("book.xlsx").c_str(), definition, 1))
        << sorvek_last_error();
    EXPECT_EQ("PK\x03\x04", readFile(dir.file("book.xlsx")).substr(0, 4));
}

}  // namespace
}  // namespace sorvek::testing
