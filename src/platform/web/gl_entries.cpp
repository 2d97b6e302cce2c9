// The table the layers' GL calls go through (gl11/gl11.h), in the page. A
// page has no GL of its own at the 1.1 level: the table stays empty until
// the page's WebGL 2 context is made and the GL subset filled in
// (gl11::use); nothing in the page draws before that.

#include "gl11/entries.h"

namespace tev {

gl11::Entries gl11::entries = {};

}  // namespace tev
