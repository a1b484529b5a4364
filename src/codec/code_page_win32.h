#pragma once

#include "code_page.h"

namespace orvanthe {

// The code page whose tables stand for the ANSI code page `ansiCodePage`: that code page
// itself when its characters are at most two bytes long, as the byte walk of the decoder
// reads them; otherwise (UTF-8, which Windows lets a user choose as the ANSI code page)
// code page 936, the setting the links are made for, where the system has it.
unsigned tableCodePage(unsigned ansiCodePage);

// Fills `tables` from the system's converter for `codePage`. A character whose bytes there
// would be more than two becomes "?" like any character the code page lacks.
void fillTables(unsigned codePage, CodePage::Tables& tables);

} // namespace orvanthe
