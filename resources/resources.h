#pragma once

// Registers the compiled-in icon set under ":/icons/" and the interface's
// translation catalogues under ":/translations/". The resources live in a
// static library, so nothing pulls them into the final binary unless someone
// references them; every user calls this once before loading an icon.
void initQuirraResources();
