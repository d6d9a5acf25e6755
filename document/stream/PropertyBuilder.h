#pragma once
// Declaring a class's stored properties. A persisted class writes, once:
//
//     void TSample::DeclareProperties(PropertyBuilder<TSample>& p) {
//         p.integer("Width", &TSample::Width, &TSample::SetWidth);        // no default
//         p.integer("Round", &TSample::Round, &TSample::SetRound).defaultValue(100);
//         p.color("Color", &TSample::Color, &TSample::SetColor).defaultValue(clBlack);
//         p.boolean("Visible", &TSample::Visible, &TSample::SetVisible).defaultValue(true);
//         p.enumeration("Shape", &TSample::Shape, &TSample::SetShape, shapeType());
//         p.string("Caption", &TSample::Caption, &TSample::SetCaption);
//         p.persistent("Font", &TSample::Font);            // nested: "Font.Name", ...
//         p.collection("Items", &TSample::Items);
//         p.reference("Buddy", &TSample::Buddy, &TSample::SetBuddy);
//         p.integer("Cut", &TSample::Cut, &TSample::SetCut).storedIf(&TSample::CutStored);
//     }
//
// Entries come after the base class's, in declaration order; redeclaring a base's
// property keeps its position. Accessors may be member functions, data members or
// callables taking the object; pass nullptr for a missing setter.

#include "document/stream/IdentMaps.h"
#include "document/stream/Persistent.h"
#include "document/stream/PropertyTable.h"

#include <functional>
#include <type_traits>

namespace propdetail {

template <class To, class From>
To convert(From&& from) {
    using F = std::remove_cvref_t<From>;
    if constexpr (std::is_same_v<To, Extended80>) {
        if constexpr (std::is_same_v<F, Extended80>)
            return from;
        else
            return Extended80::fromDouble(double(from));
    } else if constexpr (std::is_same_v<F, Extended80>) {
        return To(from.toDouble());
    } else if constexpr (std::is_pointer_v<To> && std::is_pointer_v<F>) {
        using ToObj = std::remove_pointer_t<To>;
        using FromObj = std::remove_cv_t<std::remove_pointer_t<F>>;
        if constexpr (std::is_base_of_v<ToObj, FromObj>)
            return const_cast<FromObj*>(from);
        else
            return dynamic_cast<To>(from);
    } else if constexpr (std::is_same_v<To, QString>) {
        return QString(from);
    } else {
        return static_cast<To>(from);
    }
}

// The value type a setter takes.
template <class S>
struct SetterArg : SetterArg<decltype(&S::operator())> {};
template <class C, class A>
struct SetterArg<void (C::*)(A)> {
    using type = std::remove_cvref_t<A>;
};
template <class C, class A>
struct SetterArg<void (C::*)(A) noexcept> {
    using type = std::remove_cvref_t<A>;
};
template <class L, class O, class A>
struct SetterArg<void (L::*)(O&, A) const> {
    using type = std::remove_cvref_t<A>;
};
template <class C, class M>
requires(!std::is_function_v<M>) struct SetterArg<M C::*> {
    using type = M;
};

template <class T, class V, class G>
std::function<V(const TPersistent&)> getter(G get) {
    if constexpr (std::is_null_pointer_v<G>)
        return {};
    else
        return [get](const TPersistent& o) -> V {
            return convert<V>(std::invoke(get, static_cast<const T&>(o)));
        };
}

template <class T, class V, class S>
std::function<void(TPersistent&, V)> setter(S set) {
    if constexpr (std::is_null_pointer_v<S>) {
        return {};
    } else if constexpr (std::is_member_object_pointer_v<S>) {
        using M = typename SetterArg<S>::type;
        return [set](TPersistent& o, V v) { static_cast<T&>(o).*set = convert<M>(v); };
    } else {
        using A = typename SetterArg<S>::type;
        return [set](TPersistent& o, V v) { std::invoke(set, static_cast<T&>(o), convert<A>(v)); };
    }
}

template <class T, class G>
using ResultOf = std::remove_cvref_t<std::invoke_result_t<G, const T&>>;

}  // namespace propdetail

template <class T>
class PropertyEntry {
public:
    PropertyEntry(PropertyTable& table, size_t index) : table_(table), index_(index) {}

    template <class V>
    PropertyEntry& defaultValue(V value) {
        info().defaultValue = static_cast<int32_t>(value);
        return *this;
    }
    PropertyEntry& noDefault() {
        info().defaultValue = kNoDefault;
        return *this;
    }
    PropertyEntry& stored(bool on) {
        info().stored = {};
        info().storedConst = on;
        return *this;
    }
    // `test` is a const member function returning bool, or a callable taking const T&.
    template <class P>
    PropertyEntry& storedIf(P test) {
        info().stored = [test](const TPersistent& o) {
            return bool(std::invoke(test, static_cast<const T&>(o)));
        };
        return *this;
    }
    PropertyEntry& idents(const IdentMap& map) {
        info().idents = &map;
        return *this;
    }
    // Drops the setter: the property is never written and a stored value fails to read.
    PropertyEntry& readOnly() {
        info().setOrd = {};
        info().setFloat = {};
        info().setString = {};
        info().setObject = {};
        return *this;
    }

private:
    PropInfo& info() { return table_.at(index_); }
    PropertyTable& table_;
    size_t index_;
};

template <class T>
class PropertyBuilder {
public:
    explicit PropertyBuilder(PropertyTable& table) : table_(table) {}

    template <class G, class S>
    PropertyEntry<T> integer(const char* name, G get, S set) {
        return ordinal(name, PropKind::Integer, get, set);
    }
    // An integer stored by colour name where the value has one (clWhite, clBtnFace, ...).
    template <class G, class S>
    PropertyEntry<T> color(const char* name, G get, S set) {
        return integer(name, get, set).idents(colorIdents());
    }
    // A one-byte character, stored as a String of length 1.
    template <class G, class S>
    PropertyEntry<T> character(const char* name, G get, S set) {
        return ordinal(name, PropKind::Char, get, set);
    }
    template <class G, class S>
    PropertyEntry<T> boolean(const char* name, G get, S set) {
        return enumeration(name, get, set, booleanType());
    }
    template <class G, class S>
    PropertyEntry<T> enumeration(const char* name, G get, S set, const EnumType& type) {
        PropertyEntry<T> e = ordinal(name, PropKind::Enumeration, get, set);
        table_.at(last_).enumType = &type;
        return e;
    }
    // A set of `members`, as a bit mask (bit n = ordinal n).
    template <class G, class S>
    PropertyEntry<T> set(const char* name, G get, S set, const EnumType& members) {
        PropertyEntry<T> e = ordinal(name, PropKind::Set, get, set);
        table_.at(last_).enumType = &members;
        return e;
    }
    // An Extended value; the accessors may use double or Extended80.
    template <class G, class S>
    PropertyEntry<T> floating(const char* name, G get, S set) {
        PropInfo p = base(name, PropKind::Float);
        p.getFloat = propdetail::getter<T, Extended80>(get);
        p.setFloat = propdetail::setter<T, const Extended80&>(set);
        return add(std::move(p));
    }
    template <class G, class S>
    PropertyEntry<T> string(const char* name, G get, S set) {
        PropInfo p = base(name, PropKind::String);
        p.getString = propdetail::getter<T, QString>(get);
        p.setString = propdetail::setter<T, const QString&>(set);
        return add(std::move(p));
    }
    // An object the property holds (a TPersistent or a TCollection): its properties are
    // stored under this name. Setting assigns to the held object.
    template <class G>
    PropertyEntry<T> persistent(const char* name, G get) {
        using Ptr = propdetail::ResultOf<T, G>;
        static_assert(std::is_pointer_v<Ptr>, "the getter returns a pointer to the held object");
        PropInfo p = base(name, PropKind::Class);
        p.classType = &std::remove_cv_t<std::remove_pointer_t<Ptr>>::StaticClass();
        p.getObject = propdetail::getter<T, TPersistent*>(get);
        p.setObject = [get](TPersistent& o, TPersistent* value) {
            TPersistent* held =
                propdetail::convert<TPersistent*>(std::invoke(get, static_cast<const T&>(o)));
            if (held && value && held != value) held->Assign(*value);
        };
        return add(std::move(p));
    }
    template <class G>
    PropertyEntry<T> collection(const char* name, G get) {
        return persistent(name, get);
    }
    // A reference to a component elsewhere in the stream, stored by name.
    template <class G, class S>
    PropertyEntry<T> reference(const char* name, G get, S set) {
        using Ptr = propdetail::ResultOf<T, G>;
        static_assert(std::is_pointer_v<Ptr>, "the getter returns a pointer to the component");
        PropInfo p = base(name, PropKind::Class);
        p.classType = &std::remove_cv_t<std::remove_pointer_t<Ptr>>::StaticClass();
        p.getObject = propdetail::getter<T, TPersistent*>(get);
        p.setObject = propdetail::setter<T, TPersistent*>(set);
        return add(std::move(p));
    }
    // An event: never stored; a stored nil is accepted.
    PropertyEntry<T> method(const char* name) { return add(base(name, PropKind::Method)); }

private:
    PropInfo base(const char* name, PropKind kind) {
        PropInfo p;
        p.name = QString::fromLatin1(name);
        p.kind = kind;
        return p;
    }
    template <class G, class S>
    PropertyEntry<T> ordinal(const char* name, PropKind kind, G get, S set) {
        PropInfo p = base(name, kind);
        p.getOrd = propdetail::getter<T, int32_t>(get);
        p.setOrd = propdetail::setter<T, int32_t>(set);
        return add(std::move(p));
    }
    PropertyEntry<T> add(PropInfo p) {
        PropInfo& added = table_.add(std::move(p));
        last_ = size_t(&added - table_.entries().data());
        return PropertyEntry<T>(table_, last_);
    }

    PropertyTable& table_;
    size_t last_ = 0;
};
