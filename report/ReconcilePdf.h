#pragma once
// The reconciliation printed: A4 landscape with 10 mm margins, Japanese fonts, on every page a head with the
// client, the years, the day of the reconciliation and "page n / N". The body is lines of 4.5 mm, 35 to a
// page: the summary line, the table of the years (with a line of its own for the reason of each year not
// compared), the differences and the accounts the conversion does not carry, each table after a blank line
// under its title and header row; a table continued on a new page repeats its header row there, and a
// blank line does not begin a page. It paints on any paged device: a QPdfWriter for the file, a QPrinter
// for printing and preview.

#include "verify/Reconcile.h"

#include <filesystem>

class QPagedPaintDevice;
class QPainter;

namespace qz {

inline constexpr int kReconcileLinesPerPage = 35;

// A4 landscape with the report's margins.
void PrepareReconciliationDevice(QPagedPaintDevice& device);
// Paints every page (the device prepared; a painter is opened on it and ended again).
void PaintReconciliation(QPagedPaintDevice& device, const TReconciliation& reconciliation);
// One page (from 0), for a preview on screen: the painter's units are tenths of a millimetre from the corner
// inside the margins (277 x 190 mm).
void PaintReconciliationPage(QPainter& painter, const TReconciliation& reconciliation, int page);
// The pages PaintReconciliation paints.
int ReconciliationPageCount(const TReconciliation& reconciliation);

// Writes the PDF file. Needs a QGuiApplication; throws std::runtime_error when the file cannot be written.
void WriteReconciliationPdf(const std::filesystem::path& file, const TReconciliation& reconciliation);

}  // namespace qz
