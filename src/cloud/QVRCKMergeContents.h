#pragma once

#include <memory>
#include <utility>

#include "cloud/QVRCKContentsClass.h"
#include "common/QVRLogger.h"

// The merge of a document class whose contents are of class C, around its own merge of two C:
// with no local contents the server's are the result, with no server contents the local ones;
// when either side is of another class, the local contents are kept and "Couldn't merge %@ with
// %@" is logged. Otherwise the result is merge(local, server).
template <class C, class Merge>
QVRCKContentsClass::Contents QVRCKMergeContents(const QVRCKContentsClass::Contents& local,
                                                const QVRCKContentsClass::Contents& server,
                                                Merge&& merge) {
  if (!local) return server;
  if (!server) return local;
  const auto* localContents = dynamic_cast<const C*>(local.get());
  const auto* serverContents = dynamic_cast<const C*>(server.get());
  if (!localContents || !serverContents) {
    QVRLogger::logFormat("Couldn't merge " + local->description() + " with " +
                         server->description());
    return local;
  }
  return std::forward<Merge>(merge)(*localContents, *serverContents);
}
