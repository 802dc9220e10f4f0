// SPDX-License-Identifier: MIT
#include "shell/parameter_display.h"

#include "core/param_id.h"
#include "effects/effect_chain.h"
#include "effects/tempo_divisions.h"
#include "shell/formatters.h"
#include "shell/host_text.h"
#include "shell/parameter_table.h"

namespace velora {

void formatParameterDisplay(std::int32_t index, const StoredValues& values, char* text) {
    const ParamInfo& info = paramInfo(index);
    if (info.kind == ParamKind::Inert || info.kind == ParamKind::Assignment) return;
    const float v = values.stored(index);
    switch (info.display) {
    case DisplayRule::None: break;
    case DisplayRule::Value: formatValue(v, text); break;
    case DisplayRule::FreqRatio: formatValue(static_cast<float>(1.0 + 3.0 * v), text); break;
    case DisplayRule::VibratoHz: formatValue(static_cast<float>(19.99 * v + 0.01), text); break;
    case DisplayRule::Decibels: formatDecibels(v, text); break;
    case DisplayRule::DistWet: formatValue(static_cast<float>(2.0 * v - 1.0), text); break;
    case DisplayRule::ReverbTime: formatValue(effects::Reverb::timeOf(v), text); break;
    case DisplayRule::MasterGain: formatDecibels(effects::EffectChain::masterGainOf(v), text); break;
    case DisplayRule::VoiceCount: formatValue(static_cast<float>(127.0 * v), text); break;
    case DisplayRule::DelayLength:
        // While synced, the division the length value picks.
        if (values.stored(kParamXdTempoSync) != 0.0f)
            copyHostText(text, effects::EffectChain::divisionLabel(effects::divisionIndexOf(v)), kParamDisplaySize);
        else
            formatValue(v, text);
        break;
    }
}

}  // namespace velora
