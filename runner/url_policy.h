#pragma once
// Which addresses an effect page may load: its own files (below its folder)
// and data: URLs. Everything else, remote or local, is refused, so an effect
// can neither call home nor read the user's files.

#include <QString>
#include <QUrl>

namespace runner {

// `folder` is the effect's folder as an absolute path (with or without a
// trailing "/"). Paths are judged after resolving "." and ".." and, where the
// file exists, symbolic links, so neither leads outside the folder.
bool EffectMayLoad(const QUrl& url, const QString& folder);

}  // namespace runner
