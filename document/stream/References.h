#pragma once
// Naming components in streams: the reference path the writer stores and its
// resolution when reading.

#include <QString>
#include <QStringList>

class TComponent;
class TPersistent;
struct PropInfo;

// The stored path of `target` relative to `root` (empty: not stored).
QString referencePath(const TComponent* target, const TComponent* root);
// Follows `segments` from `base`: the first segment among base's components ("Owner":
// base itself), each further one among the previous result's components.
TComponent* resolveWithin(TComponent* base, const QStringList& segments, qsizetype first = 0);
// Assigns `target` (null allowed) when it fits the property's declared class.
void assignReference(TPersistent& holder, const PropInfo& property, TComponent* target);
