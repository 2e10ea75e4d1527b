// Decimal display of a Ratio with width, fill, alignment, sign and zero fill.
#include <gtest/gtest.h>

#include "format_options.hpp"
#include "support.hpp"

namespace varnolt::test {
namespace {

struct FormatRow { const char* name; Ratio x; FormatOptions options; const char* text; };
class Format : public testing::TestWithParam<FormatRow> {};
TEST_P(Format, LaysOutText) { EXPECT_EQ(fmt(GetParam().x, GetParam().options), GetParam().text); }
INSTANTIATE_TEST_SUITE_P(Ratio, Format, testing::Values(
    FormatRow{"integral_without_slash", Q(3), {}, "3"},
    FormatRow{"negative_fraction", Q(-3, 4), {}, "-3/4"},
    FormatRow{"zero", Q(0), {}, "0"},
    FormatRow{"min_in_full", Q(int_min), {}, "-9223372036854775808"},
    FormatRow{"large_denominator", Q(-1, int_max), {}, "-1/9223372036854775807"},
    FormatRow{"right_width_8", Q(1, 2), {.align = Align::Right, .width = 8}, "     1/2"},
    FormatRow{"numbers_align_right_by_default", Q(1, 2), {.width = 8}, "     1/2"},
    FormatRow{"left_width_8", Q(1, 2), {.align = Align::Left, .width = 8}, "1/2     "},
    FormatRow{"center_extra_blank_after", Q(1, 2), {.align = Align::Center, .width = 8}, "  1/2   "},
    FormatRow{"sign_travels_with_fill", Q(-1, 2), {.fill = "_", .width = 8}, "____-1/2"},
    FormatRow{"center_with_fill", Q(-1, 2), {.fill = "*", .align = Align::Center, .width = 7}, "*-1/2**"},
    FormatRow{"multibyte_fill_counts_as_one", Q(1, 2), {.fill = "·", .align = Align::Left, .width = 5}, "1/2··"},
    FormatRow{"zero_fill_after_sign", Q(-1, 2), {.zero_pad = true, .width = 8}, "-00001/2"},
    FormatRow{"zero_fill_after_plus", Q(1, 2), {.plus = true, .zero_pad = true, .width = 8}, "+00001/2"},
    FormatRow{"zero_fill_overrides_fill_and_align",
              Q(7), {.fill = "*", .align = Align::Left, .zero_pad = true, .width = 4}, "0007"},
    FormatRow{"plus_on_positive", Q(3), {.plus = true}, "+3"},
    FormatRow{"plus_on_zero", Q(0), {.plus = true}, "+0"},
    FormatRow{"plus_leaves_negative", Q(-3, 4), {.plus = true}, "-3/4"},
    FormatRow{"width_below_length_ignored", Q(-3, 4), {.width = 2}, "-3/4"},
    FormatRow{"alternate_changes_nothing", Q(-3, 4), {.alternate = true, .width = 5}, " -3/4"}),
    row_name<FormatRow>);

}  // namespace
}  // namespace varnolt::test
