#include "editor/plot_model.h"

namespace orvane {

bool PlotCurvesValid(const PlotData& data, PlotKind kind) {
  switch (kind) {
    case kPlotPreampLinear: return data.PreampLinearValid();
    case kPlotPreampNonLinear: return data.PreampNonLinearValid();
    case kPlotToneStack: return data.ToneStackValid();
    case kPlotPowerAmpLinear: return data.PowerLinearValid();
    case kPlotPowerAmpNonLinear: return data.PowerNonLinearValid();
  }
  return false;
}

}  // namespace orvane
