#pragma once
// Further classes that draw-object list streams keep besides the object-list class (see
// ComponentStream.h): classes whose objects are draw objects although their stored class
// is not below it (objects kept as data). Call before lists are read.

class PersistentClass;

void AddObjectListClass(const PersistentClass* cls);
