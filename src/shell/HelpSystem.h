#pragma once

namespace vellora { class HelpViewer { public: virtual ~HelpViewer() = default; virtual void showTopic(int topic) = 0; virtual void showSearch() = 0; }; }
