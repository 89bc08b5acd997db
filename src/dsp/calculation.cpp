#include "dsp/calculation.h"

#include "base/float_checks.h"
#include "base/text_convert.h"

namespace kc::dsp {
namespace {

int32_t ReadTapCount(CalcFields& fields, CalcField field) {
    const int32_t count = NormaliseTapCount(base::StrToInt(fields.Text(field)));
    fields.SetTapCountText(field, base::IntToStr(count));
    return count;
}

double ReadCutOff(const CalcFields& fields, CalcField field) {
    return static_cast<double>(base::StrToInt(fields.Text(field)));
}

}  // namespace

CalculationResult RunCrossoverCalculation(CalcFields& fields) {
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
    p.attenuationDb = base::StoreDouble(base::StrToFloat(fields.Text(CalcField::Attenuation)));
    return CalculateCrossover(p);
}

CalculationResult CalculateCrossover(const CrossoverParameters& parameters) {
    CalculationResult result;
    result.taps = DesignCrossover(parameters);
    result.evaluation = EvaluateResponses(result.taps);
    result.cmaxLine = CMaxLine(result.evaluation.CMax);
    return result;
}

}  // namespace kc::dsp
