// SPDX-License-Identifier: MIT
#include "effects/tempo_divisions.h"

#include "core/numeric.h"

namespace velora::effects {

namespace {

constexpr TempoDivision kDivisions[kTempoDivisionCount] = {
    {0.25f, "1/4"}, {0.33333334f, "1/3"}, {0.5f, "1/2"}, {0.6666667f, "2/3"}, {0.75f, "3/4"},
    {1.0f, "1"},    {1.5f, "3/2"},        {2.0f, "2"},   {3.0f, "3"},         {4.0f, "4"},
};

}  // namespace

const TempoDivision& tempoDivision(int index) noexcept {
    if (index < 0) index = 0;
    if (index >= kTempoDivisionCount) index = kTempoDivisionCount - 1;
    return kDivisions[index];
}

std::int32_t divisionIndexOf(float value) noexcept {
    return truncClamped(10.0 * static_cast<double>(value), 0, kTempoDivisionCount - 1);
}

}  // namespace velora::effects
