#include "app/window_layout.h"

#include <gtest/gtest.h>

#include "app/settings.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

TEST(WindowPlacement, CentredOnTheScreenAndNeverBeyondIt) {
    const WindowRect screen{0, 0, 1920, 1040};
    // Fits: centred, frame included.
    EXPECT_EQ((WindowRect{505, 150, 900, 700}), placeWindow(900, 700, 10, 40, screen));
    // Too large: cut to the free area, frame included, and put at its corner.
    EXPECT_EQ((WindowRect{0, 0, 1270, 730}), placeWindow(1600, 900, 10, 40, {0, 0, 1280, 770}));
    // A second screen to the right, with a panel at its top.
    EXPECT_EQ((WindowRect{1920 + 380, 30 + 165, 800, 600}),
              placeWindow(800, 600, 0, 0, {1920, 30, 1560, 930}));
    // A screen smaller than the frame still gives a window.
    EXPECT_EQ(1, placeWindow(800, 600, 20, 40, {0, 0, 10, 10}).width);
}

TEST(WizardLayoutSettings, KeptAndReadBackAndNonsenseIgnored) {
    TempDir dir;
    const std::string ini = dir.file("sorvek.ini");
    EXPECT_EQ(WizardLayout{}, readWizardLayout(ini));
    const WizardLayout kept{1000, 720, {220, 560}, {300, 420}};
    saveWizardLayout(ini, kept);
    EXPECT_EQ(kept, readWizardLayout(ini));

    ASSERT_TRUE(writeSetting(ini, kSectionWindow, kKeyWizardHeight, "-5"));
    ASSERT_TRUE(writeSetting(ini, kSectionWindow, kKeyPageSplitter, "300,x"));
    const WizardLayout read = readWizardLayout(ini);
    EXPECT_EQ(0, read.width) << "a size is kept whole or not at all";
    EXPECT_EQ(0, read.height);
    EXPECT_EQ((std::vector<int>{220, 560}), read.definitionSplitter);
    EXPECT_TRUE(read.pageSplitter.empty());

    saveWizardLayout("", kept);  // an unattended run keeps nothing
    EXPECT_EQ(WizardLayout{}, readWizardLayout(""));
}

}  // namespace
}  // namespace sorvek::testing
