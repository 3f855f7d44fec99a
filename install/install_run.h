// The install run behind the options page's Install button.
#pragma once

namespace kv { void RunInstall(); }
