#include "core/catalogue/catalogue_report.h"

#include "core/app/text_ids.h"

namespace tarnwick {
namespace {

// The one thing to say about the file, most basic first; 0 when it is sound.
int Problem(const CatalogueLoadReport& r, std::uint32_t records) {
  if (r.notRegularFile) return itext::kCatalogueNotAFile;
  if (r.cannotOpen) return itext::kCannotOpenFile;
  if (r.fileTooLarge) return itext::kCatalogueTooLarge;
  if (r.fileBytes == 0) return itext::kCatalogueEmpty;
  if (r.lines == 0) return itext::kCatalogueNoLines;
  if (r.endsMidLine) return itext::kCatalogueTruncated;
  if (records == 0) return itext::kCatalogueNoRecords;
  if (r.TotalRefused() > 0) return itext::kCatalogueLinesRefused;
  return 0;
}

}  // namespace

std::string CatalogueLoadMessage(const Catalogue& catalogue, const std::string& path,
                                 const TextTable& texts) {
  const CatalogueLoadReport& r = catalogue.Report();
  const int problem = Problem(r, catalogue.Count());
  if (problem == 0) return {};
  std::string text =
      texts.itext(itext::kCatalogueProblem) + "\r\n" + path + ": " + texts.itext(problem);
  if (problem == itext::kCatalogueLinesRefused) text += " " + std::to_string(r.TotalRefused());
  return text + "\r\n" + texts.itext(itext::kCatalogueRecordsRead) + " " +
         std::to_string(catalogue.Count());
}

void ReportCatalogueLoad(const Catalogue& catalogue, const std::string& path,
                         WindowServices& services) {
  const std::string text = CatalogueLoadMessage(catalogue, path, services.texts());
  if (!text.empty()) {
    services.Box(text, services.texts().itext(itext::kWarningCaption), BoxIcon::Warning);
  }
}

}  // namespace tarnwick
