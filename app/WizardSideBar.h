#pragma once
// The side bar of the wizards: inside the picture box `picWiz`, the step markers
// shpSteps(0..5) over the line Shape2, and the step labels lblSteps(0..5).
#include "forms/Forms.h"

namespace wizard {

constexpr forms::Color kMarkerCurrent = forms::rgb(0, 255, 0);
constexpr forms::Color kMarkerOther = forms::rgb(128, 128, 128);
constexpr forms::Color kMarkerLast = forms::rgb(255, 0, 0);

// Adds the labels, the markers and Shape2 to `picWiz`, top first: "Start" bold
// and its marker green, the last marker red, the others grey.
void layOutSideBar(forms::Form& form, forms::Control& picWiz);

// Marker p grey (red if p is the last page) and its label not bold; marker n green
// and its label bold.
void ShowStepIndicator(const forms::ControlArray& shpSteps, const forms::ControlArray& lblSteps,
                       int previousStep, int newStep);

}  // namespace wizard
