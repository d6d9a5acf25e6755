#pragma once
// Message texts of the document layer (component streams, their text form, string lists,
// compound document storage). Each text is written once, here; the callers pass the
// values that fill its placeholders. Lower and higher folders keep their own catalogues
// (platform/Messages.h, imaging/Messages.h, ...), all in namespace msg.

#include <QString>

namespace msg {

// Files and lists, also used by the folders above.
QString cannotOpenFile(const QString& path);
QString listIndexOutOfRange(int index);

// Component streams.
QString streamReadError();
QString streamWriteError();
QString invalidStreamFormat();
// `message` followed by where in the stream reading stopped: the offset of the first byte
// that could not be read or does not fit the format.
QString atStreamOffset(const QString& message, qint64 offset);
QString classNotFound(const QString& className);
QString unknownProperty();
QString invalidPropertyPath();
QString invalidPropertyValue();
QString readOnlyProperty();
// The error `reason` met while reading property `path` of `owner`.
QString propertyReadError(const QString& owner, const QString& path, const QString& reason);
QString invalidComponentName(const QString& name);
QString duplicateComponentName(const QString& name);
QString duplicateClassName(const QString& className);
QString cannotAssign(const QString& sourceClass, const QString& targetClass);

// The text form of component streams.
QString missingCharacter(QChar c);
QString invalidNumber(const QString& text);
QString invalidHex();
QString missingValue();
QString missingString();
QString nameTooLong();
QString missingEnd();

// Compound document storage.
// A path with more ".." segments than names before them.
QString tooManyParents();
// A write to a stream that was opened for reading.
QString streamReadOnly(const QString& name);
// A path that names the storage root where an element is needed.
QString noElementName();

}  // namespace msg
