#include "app/cli_align.h"

#include "align/align_job.h"
#include "core/error.h"

namespace lenti::cli {

namespace {

// At most `places` decimals, trailing zeros dropped ("10", "-3.5"); never "-0".
std::string Decimal(double value, int places) {
  std::string text = Format("%.*f", places, value);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

}  // namespace

std::string AlignmentLine(int slot, const FrameAlignment& alignment, AlignModel model) {
  std::string line = Format("frame %d: dx %s dy %s", slot, Decimal(alignment.dx, 2).c_str(),
                            Decimal(alignment.dy, 2).c_str());
  if (model == AlignModel::Similarity) {
    line += Format(" angle %s scale %s", Decimal(alignment.angle, 3).c_str(),
                   Decimal(alignment.scale, 5).c_str());
  }
  return line;
}

bool RunAlign(const AlignArgs& args, std::ostream& out, std::ostream& err) {
  AlignSettings settings;
  settings.model = args.choice.model;
  settings.reference_slot = args.choice.reference;
  settings.subject = args.choice.subject;
  bool all_aligned = true;
  for (const FrameOutcome& outcome : AlignPhotoFiles(args.photos, settings)) {
    if (outcome.alignment) {
      out << AlignmentLine(outcome.slot, *outcome.alignment, settings.model) << "\n";
    } else {
      err << "vexaro: " << outcome.problem << "\n";
      all_aligned = false;
    }
  }
  return all_aligned;
}

}  // namespace lenti::cli
