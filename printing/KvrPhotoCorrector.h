#pragma once
// Installs the colour-matching manager as the correction filters' photo corrector
// (imaging/filters/ColorCorrection.h): each use gets a new manager. Called once at start-up
// by the program and by corvane-tool.

void InstallKvrPhotoCorrector();
