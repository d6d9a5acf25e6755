#pragma once
// TDOList: an ordered list of draw objects. It does not own the objects it is given; the
// objects it reads from a stream or the clipboard are its own until taken (TakeOwned) or
// freed. Its stream form is a 32-bit count followed by one component stream per object.

#include <QString>
#include <memory>
#include <vector>

class TComponent;
class TDrawObject;
class TStream;

class TDOList {
public:
    TDOList() = default;
    ~TDOList();
    TDOList(const TDOList&) = delete;
    TDOList& operator=(const TDOList&) = delete;
    TDOList(TDOList&&) = default;
    TDOList& operator=(TDOList&&) = default;

    int Count() const { return int(items_.size()); }
    bool IsEmpty() const { return items_.empty(); }
    TDrawObject* operator[](int index) const { return items_.at(size_t(index)); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    const std::vector<TDrawObject*>& Items() const { return items_; }

    void Add(TDrawObject* object) { items_.push_back(object); }
    // Appends an object the list owns from now on.
    void AddOwned(std::unique_ptr<TDrawObject> object);
    void Insert(int index, TDrawObject* object);
    void Delete(int index);
    void Remove(TDrawObject* object);
    int IndexOf(const TDrawObject* object) const;
    // Empties the list; owned objects are freed.
    void Clear();
    // Frees every object of the list, owned or not, and empties it.
    void FreeAll();
    void Reverse();
    bool Owns(const TDrawObject* object) const;
    // Hands over the objects the list owns (in list order); they stay in the list.
    std::vector<std::unique_ptr<TDrawObject>> TakeOwned();

    void SaveToStream(TStream& stream) const;
    // Clears the list and reads it; components that are not draw objects are dropped.
    void LoadFromStream(TStream& stream);

    // Puts copies of the objects (named as their originals) on the clipboard under the
    // private format `format`; nothing for an empty list.
    void CopyToClipboard(const QString& format) const;
    // Reads the list from the clipboard's data of `format` (an empty list when there is
    // none). The pasted objects get names unique within `owner`, or no names without one,
    // so that they never collide with the objects they were copied from.
    void PasteFromClipboard(const QString& format, const TComponent* owner = nullptr);
    // The MIME type the clipboard carries a private format under.
    static QString ClipboardMimeType(const QString& format);
    static bool ClipboardHasFormat(const QString& format);

private:
    std::vector<TDrawObject*> items_;
    std::vector<std::unique_ptr<TDrawObject>> owned_;
};

// Gives every object of `list` a name not used in `owner` nor by an earlier object of the
// list: its class name without the leading T followed by the smallest free number.
void GiveFreshNames(const TDOList& list, const TComponent* owner);
