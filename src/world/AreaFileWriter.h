// AreaFileWriter -- writes an area in the text grammar the area file parser reads, for the area editor and the content tools.
#pragma once

#include <string>

class AreaResource;

// The text parses back to the same lists and blocks, and writing that again gives the same
// bytes. Names are quoted so that blanks survive; tiles are written top row first, one row a
// line, and objects with their row counted from the top, as the parser expects.
std::string WriteAreaFile(const AreaResource& area);
