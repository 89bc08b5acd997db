// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/calculation.h"

#include <cstdint>

#include "base/float_checks.h"
#include "base/text_convert.h"
#include "dsp/fields.h"
#include "dsp/tap_arrays.h"

namespace kc::dsp {
namespace {

// How each kind of field text becomes a number, for the calculation and the initial design.
int32_t TapCountOf(std::string_view text) {
    return NormaliseTapCount(base::StrToInt(text));
}

double CutOffOf(std::string_view text) {
    return static_cast<double>(base::StrToInt(text));
}

double AttenuationOf(std::string_view text) {
    return base::StoreDouble(base::StrToFloat(text));
}

int32_t ReadTapCount(CalcFields& fields, CalcField field) {
    const int32_t count = TapCountOf(fields.Text(field));
    fields.SetTapCountText(field, base::IntToStr(count));
    return count;
}

double ReadCutOff(const CalcFields& fields, CalcField field) {
    return CutOffOf(fields.Text(field));
}

}  // namespace

CrossoverParameters::CrossoverParameters()
    : lowCount(TapCountOf(InitialText(CalcField::LowTapCount))),
      midCount(TapCountOf(InitialText(CalcField::MidTapCount))),
      highCount(TapCountOf(InitialText(CalcField::HighTapCount))),
      lowCrossHz(CutOffOf(InitialText(CalcField::LowCross))),
      midCrossLowHz(CutOffOf(InitialText(CalcField::MidCrossLow))),
      midCrossHighHz(CutOffOf(InitialText(CalcField::MidCrossHigh))),
      highCrossHz(CutOffOf(InitialText(CalcField::HighCross))),
      attenuationDb(AttenuationOf(InitialText(CalcField::Attenuation))) {}

CalculationResult RunCrossoverCalculation(CalcFields& fields) {
    return CalculateCrossover(ReadCrossoverParameters(fields));
}

CrossoverParameters ReadCrossoverParameters(CalcFields& fields) {
    CrossoverParameters p;
    p.lowCount = ReadTapCount(fields, CalcField::LowTapCount);
    p.midCount = ReadTapCount(fields, CalcField::MidTapCount);
    p.highCount = ReadTapCount(fields, CalcField::HighTapCount);
    p.lowCrossHz = ReadCutOff(fields, CalcField::LowCross);
    p.midCrossLowHz = ReadCutOff(fields, CalcField::MidCrossLow);
    p.midCrossHighHz = ReadCutOff(fields, CalcField::MidCrossHigh);
    p.highCrossHz = ReadCutOff(fields, CalcField::HighCross);
    p.adjustCoefficient = fields.AdjustCoefficient();
    // Sizing comes before the attenuation is read, so that bad counts are reported first.
    CheckTapArraySizes(p.lowCount, p.midCount, p.highCount);
    p.attenuationDb = AttenuationOf(fields.Text(CalcField::Attenuation));
    return p;
}

// The whole calculation's memory is checked before its first array is made.
CalculationResult CalculateCrossover(const CrossoverParameters& parameters) {
    CheckTapArraySizes(parameters.lowCount, parameters.midCount, parameters.highCount);
    CheckCalculationMemory(parameters.lowCount, parameters.midCount, parameters.highCount);
    CalculationResult result;
    result.parameters = parameters;
    result.taps = DesignCrossover(parameters);
    result.evaluation = EvaluateResponses(result.taps);
    result.cmaxLine = CMaxLine(result.evaluation.CMax);
    return result;
}

double EstimatedCalculationSeconds(const CrossoverParameters& parameters) {
    const double taps = static_cast<double>(parameters.lowCount) + parameters.midCount +
                        static_cast<double>(parameters.highCount);
    return kCalculationSecondsPerTap * taps;
}

}  // namespace kc::dsp
