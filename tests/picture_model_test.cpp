// The model the windows show their picture by, without a window: what each change tells its
// listeners (once, with what changed), and what it settles. The commands each stage offers are
// checked through the window, at every stage, by its command tests.
#include <gtest/gtest.h>

#include <functional>

#include "document/picture_model.h"

namespace tintwell::document {
namespace {

using M = PictureModel;

struct ModelCase {
    const char* name;
    Reading reading;
    std::vector<unsigned> told;              // each notification, in order
    std::function<void(PictureModel&)> act;  // the change, then what the model settled on
};

void PrintTo(const ModelCase& c, std::ostream* out) {
    *out << c.name;
}

class Model : public ::testing::TestWithParam<ModelCase> {};

const engine::PixelBuffer kBig = *engine::PixelBuffer::Allocate(40, 30);
const engine::PixelBuffer kSmall = *engine::PixelBuffer::Allocate(20, 10);

TEST_P(Model, TellsEachChangeOnceAndSettlesAsTheWindowReads) {
    const ModelCase& c = GetParam();
    PictureModel model(c.reading);
    model.SetPicture(&kBig, false);
    model.SetTexts({"10", "45", "80"}, {"75", "180", "210"});
    std::vector<unsigned> told;
    model.Listen([&](unsigned changes) { told.push_back(changes); });
    c.act(model);
    EXPECT_EQ(told, c.told);
}

const engine::Levels kDefault =
    engine::CalcFactors({"10", "45", "80"}, {"75", "180", "210"}).levels;

bool Same(const std::optional<engine::Levels>& a, const engine::Levels& b) {
    return a && a->black == b.black && a->factor == b.factor;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Model,
    ::testing::Values(ModelCase{"same_texts_tell_nothing",
                                Reading::Lenient,
                                {},
                                [](M& m) {
                                    m.SetTexts({"10", "45", "80"}, {"75", "180", "210"});
                                    EXPECT_TRUE(Same(m.Points().levels, kDefault));
                                }},
                      ModelCase{"strict_reading_refuses_a_typo",
                                Reading::Strict,
                                {M::kPoints},
                                [](M& m) {
                                    m.SetTexts({"10", "1O", "80"}, {"75", "180", "210"});
                                    ASSERT_TRUE(m.Points().strict);
                                    EXPECT_EQ(m.Points().strict->channel, engine::Channel::Green);
                                    EXPECT_EQ(m.Points().strict->text, "1O");
                                    EXPECT_FALSE(m.Points().levels);
                                }},
                      ModelCase{"reload_keeps_the_region_cut_to_the_picture",
                                Reading::Lenient,
                                {M::kRegion, M::kPicture | M::kRegion},
                                [](M& m) {
                                    m.SetRegion(engine::Region{2, 3, 30, 25});
                                    m.SetPicture(&kSmall, true);
                                    EXPECT_EQ(m.Region(), (engine::Region{2, 3, 20, 10}));
                                }},
                      ModelCase{"reload_of_a_region_off_the_picture_clears_it",
                                Reading::Lenient,
                                {M::kRegion, M::kPicture | M::kRegion},
                                [](M& m) {
                                    m.SetRegion(engine::Region{25, 12, 30, 25});
                                    m.SetPicture(&kSmall, true);
                                    EXPECT_FALSE(m.Region());
                                }},
                      ModelCase{"preview_of_usable_points",
                                Reading::Lenient,
                                {M::kLook, M::kLook},
                                [](M& m) {
                                    m.SetPreview(true);
                                    m.SetPreview(true);
                                    m.SetClipping(true);
                                    EXPECT_TRUE(Same(m.PreviewLevels(), kDefault));
                                }},
                      // Nothing to preview during a pass (nor after a completed one: the window's
                      // tests show that).
                      ModelCase{"no_preview_while_busy_and_a_cancel_forgotten_when_a_pass_starts",
                                Reading::Lenient,
                                {M::kLook, M::kBusy},
                                [](M& m) {
                                    m.SetPreview(true);
                                    m.AskCancel();
                                    m.SetBusy(true);
                                    EXPECT_FALSE(m.PreviewLevels());
                                    EXPECT_FALSE(m.CancelAsked());
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tintwell::document
