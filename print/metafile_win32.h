// The Windows side of the page layout: pages recorded as memory metafiles, and a spooled
// page turned back into a metafile for playing.
#pragma once

#include "print/pl.h"

#include "framework/winapi.h"

#include <memory>
#include <string>
#include <vector>

namespace lysora {

// Records each page as a memory metafile with plain GDI calls. Failures show the messages
// "Erreur CreateMetaFile" (caption "_Page_Begin"), "Erreur CloseMetaFile" and
// "Erreur GetMetaFileBits 1" / "2" (caption "_Page_End").
std::unique_ptr<PageDrawer> NewMetafileDrawer();

// A metafile made from one page's bytes, checked first to be a page as Lysora writes it
// (SpoolPageFault); null when they are not one, with the reason in *fault when asked. The
// caller deletes it (DeleteMetaFile).
HMETAFILE MetafileFromBytes(const std::vector<unsigned char>& bytes, std::string* fault = nullptr);

} // namespace lysora
