#include "gl11/subset.h"
namespace tev::gl11 {
bool attachSubset(const SubsetOptions&, std::string* error) { if (error) *error = "stub"; return false; }
void detachSubset() {}
const Entries& subsetEntries() { static Entries e{}; return e; }
GLenum subsetError() { return 0; }
}
