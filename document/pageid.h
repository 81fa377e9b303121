#pragma once

#include <QtGlobal>

// Names one page for as long as it lives: the id stays with the page through moves,
// put-backs and the page store, and is never handed to another page while the process
// runs, not even one of a later document. 0 names no page.
using PageId = quint64;
