#pragma once
// Registers every class an album document stores: the layout objects, papers, pictures,
// the face stream root, and the classes kept as data (KeptData.h) under the names no
// class of the program has taken. Once; later calls do nothing.

void RegisterAlbumClasses();
