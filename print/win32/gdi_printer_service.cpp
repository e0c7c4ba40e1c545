#include "print/win32/gdi_printer_service.h"

#include <algorithm>
#include <cmath>

#include "common/run_error.h"
#include "common/wide_text.h"
#include "print/platform/spooler_answer_win.h"
#include "print/platform/spooler_names_win.h"
#include "print/platform/system_printers.h"

namespace vorn::print {

namespace {

constexpr int kMostFonts = 32767;

[[noreturn]] void PrinterFailure(const std::string& what) {
  throw RunError(ErrorNumber::kPrinterError, what);
}

// A printer's or font's name (code-page bytes) as an error description holds it: UTF-8.
std::string Named(const std::string& ansi) { return WideToUtf8(AnsiToWide(ansi)); }

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW* /*metrics*/, DWORD /*type*/,
                         LPARAM data) {
  auto& faces = *reinterpret_cast<std::vector<std::wstring>*>(data);
  const std::wstring face = font->lfFaceName;
  // Vertical variants ("@Name") are not faces a user prints a quote in.
  if (!face.empty() && face.front() != L'@' &&
      std::find(faces.begin(), faces.end(), face) == faces.end())
    faces.push_back(face);
  return faces.size() < static_cast<std::size_t>(kMostFonts) ? 1 : 0;
}

}  // namespace

GdiPrinterService::~GdiPrinterService() { Abandon(); }

std::string GdiPrinterService::DefaultPrinterName() { return SystemDefaultPrinter(); }

std::vector<PrinterInfo> GdiPrinterService::InstalledPrinters() { return SystemPrinters(); }

void GdiPrinterService::SelectPrinter(const PrinterInfo& printer) {
  selected_ = printer.DeviceName;
}

std::wstring GdiPrinterService::CurrentPrinter() const {
  return selected_.empty() ? SpoolerDefaultPrinter() : SpoolerPrinterName(selected_);
}

void GdiPrinterService::StartDocument() {
  const std::wstring name = CurrentPrinter();
  if (name.empty()) throw RunError(ErrorNumber::kNoPrinter, "No printer is selected");
  dc_ = CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr);
  if (dc_ == nullptr) PrinterFailure("The printer " + WideToUtf8(name) + " cannot be opened");
  DOCINFOW doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = kJobTitle;
  if (StartDocW(dc_, &doc) <= 0) {
    DeleteDC(dc_);
    dc_ = nullptr;
    PrinterFailure("The printer " + WideToUtf8(name) + " does not take the document");
  }
  pageHeight_ = GetDeviceCaps(dc_, VERTRES);
  SetBkMode(dc_, TRANSPARENT);
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  ApplyFont();
  newPagePending_ = false;
  StartPage();
}

void GdiPrinterService::StartPage() {
  if (::StartPage(dc_) <= 0) PrinterFailure("The printer cannot start a page");
  pageOpen_ = true;
  // Some drivers reset the device context's objects with every page.
  if (font_ != nullptr) SelectObject(dc_, font_);
  SetBkMode(dc_, TRANSPARENT);
  x_ = y_ = 0;
}

void GdiPrinterService::EndPage() {
  pageOpen_ = false;
  if (::EndPage(dc_) <= 0) PrinterFailure("The printer cannot finish a page");
}

void GdiPrinterService::PrintText(std::string_view text, bool lineBreak) {
  if (dc_ == nullptr) StartDocument();
  if (newPagePending_) {
    newPagePending_ = false;
    EndPage();
    StartPage();
  }
  // A line that would pass the bottom of the printable area goes on a new page.
  if (y_ > 0 && y_ + lineHeight_ > pageHeight_) {
    EndPage();
    StartPage();
  }
  if (!text.empty()) {
    const std::wstring line = AnsiToWide(text);
    const int length = static_cast<int>(line.size());
    TextOutW(dc_, x_, y_, line.c_str(), length);
    // A line break sends the position back to the margin, so only text that goes on needs
    // measuring.
    if (!lineBreak) {
      SIZE size{};
      if (GetTextExtentPoint32W(dc_, line.c_str(), length, &size)) x_ += size.cx;
    }
  }
  if (lineBreak) {
    x_ = 0;
    y_ += lineHeight_;
  }
}

void GdiPrinterService::ApplyFont() {
  const int dpi = GetDeviceCaps(dc_, LOGPIXELSY);
  HFONT font =
      CreateFontW(-static_cast<int>(std::lround(points_ * dpi / 72.0)), 0, 0, 0, FW_NORMAL, FALSE,
                  FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, AnsiToWide(faceName_).c_str());
  if (font == nullptr) PrinterFailure("The font " + Named(faceName_) + " cannot be made");
  HGDIOBJ previous = SelectObject(dc_, font);
  if (previousFont_ == nullptr) previousFont_ = previous;
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc_, &metrics);
  lineHeight_ = std::max(1, static_cast<int>(metrics.tmHeight));
}

void GdiPrinterService::SetFontName(std::string_view faceName) {
  faceName_ = faceName;
  if (dc_ != nullptr) ApplyFont();
}

void GdiPrinterService::SetFontSize(float points) {
  points_ = points;
  if (dc_ != nullptr) ApplyFont();
}

void GdiPrinterService::SetFurtherAttribute(int /*value*/) {
  // The original printer object had one more 16-bit attribute set to 2 after the font size.
  // Nothing on this platform corresponds to it; it is kept so the job's steps stay complete.
}

void GdiPrinterService::NewPage() {
  // Takes effect only when more output arrives: a page nothing fills is never ejected.
  if (dc_ != nullptr) newPagePending_ = true;
}

void GdiPrinterService::EndDocument() {
  if (dc_ == nullptr) return;
  newPagePending_ = false;
  if (pageOpen_) EndPage();
  // A queue that refuses the job shows up only here. A hand-over that stalls (a print server
  // that does not answer) is given up on at the deadline: the device context then stays with
  // the call still inside the spooler, and the run goes on without it.
  const HDC dc = dc_;
  int ended = 0;
  try {
    ended = SpoolerCallWithin<int>(kSpoolerTimeLimit, "The printer did not accept the document",
                                   [dc] { return EndDoc(dc); });
  } catch (const RunError&) {
    dc_ = nullptr;
    font_ = nullptr;
    previousFont_ = nullptr;
    throw;
  }
  SelectObject(dc_, previousFont_);
  DeleteObject(font_);
  font_ = nullptr;
  previousFont_ = nullptr;
  DeleteDC(dc_);
  dc_ = nullptr;
  if (ended <= 0) PrinterFailure("The printer did not accept the document");
}

void GdiPrinterService::Abandon() {
  if (dc_ == nullptr) return;
  // A document the run abandoned is never sent.
  AbortDoc(dc_);
  if (previousFont_ != nullptr) SelectObject(dc_, previousFont_);
  DeleteDC(dc_);
  dc_ = nullptr;
  if (font_ != nullptr) DeleteObject(font_);
  font_ = nullptr;
  previousFont_ = nullptr;
}

const std::vector<std::string>& GdiPrinterService::Fonts() {
  // Listed once for each printer selected; the default printer stays the same during a run.
  if (fontsLoaded_ && fontsOf_ == selected_) return fonts_;
  const std::wstring printer = CurrentPrinter();
  // The fonts of the current printer's device context; with no printer at all, the screen's.
  HDC dc =
      printer.empty() ? GetDC(nullptr) : CreateDCW(L"WINSPOOL", printer.c_str(), nullptr, nullptr);
  if (dc == nullptr) PrinterFailure("The printer " + WideToUtf8(printer) + " cannot be opened");
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::vector<std::wstring> faces;
  EnumFontFamiliesExW(dc, &wanted, &CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
  if (printer.empty())
    ReleaseDC(nullptr, dc);
  else
    DeleteDC(dc);
  fonts_.clear();
  for (const std::wstring& face : faces) fonts_.push_back(WideToAnsi(face));
  fontsOf_ = selected_;
  fontsLoaded_ = true;
  return fonts_;
}

int GdiPrinterService::FontCount() { return static_cast<int>(Fonts().size()); }

std::string GdiPrinterService::FontAt(int index) {
  const std::vector<std::string>& fonts = Fonts();
  if (index < 0 || index >= static_cast<int>(fonts.size()))
    throw RunError(ErrorNumber::kOutOfRange, "Font index out of range");
  return fonts[static_cast<std::size_t>(index)];
}

}  // namespace vorn::print
