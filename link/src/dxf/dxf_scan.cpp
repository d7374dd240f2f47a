// DxfScan: reading the scratch file that DxfOut had AutoCAD write.
#include "guarded.h"
#include "link/dxf_file.h"
#include "link/dxf_scanner.h"
#include "link/pw_control.h"

namespace korvel {

std::int32_t PwControl::DxfScan(std::u16string_view Sec_Str, std::u16string_view Obj_Str,
                                std::u16string_view Fom_Str, DxfTable& Hairetu) {
  const std::u16string section(Sec_Str), type(Obj_Str), codes(Fom_Str);
  return Guarded([&] {
    const std::u16string path = GetTempFolder() + u"Wexa.dxf";
    // Closed on every way out, a failed scan included.
    const std::unique_ptr<DxfFile> file = DxfFile::Open(path);
    if (!file)
      Raise(kErrFileNotFound, kSourceLibrary, RuntimeErrorText(kErrFileNotFound) + u"(" + path + u")");
    DxfScanner scanner(Os().Codec());
    DxfScanFailure failure;
    if (!scanner.Scan(*file, section, type, codes, Hairetu, failure))
      Raise(failure.number, kSourceLibrary, failure.description);
    return -1;
  });
}

}  // namespace korvel
