#include "windows/WindowsTest.h"

#include "platform/windows/Register.h"

namespace {

// The test controls are known to the form reader before any test runs.
struct TRegisterTestClasses : ::testing::Environment {
  void SetUp() override { RegisterWindowTestClasses(); }
};
const auto* gRegister = ::testing::AddGlobalTestEnvironment(new TRegisterTestClasses);

}  // namespace

// ---- Test controls ----

void TTstShape::Publish(TPublisher<TTstShape>& p) {
  p.Property("Color", &TTstShape::Color, &TTstShape::SetColor).Idents(ColorIdents());
  p.Property("Visible", &TTstShape::Visible, &TTstShape::SetVisible).Default(true);
  p.Event("OnClick", &TTstShape::OnClick);
}

void TTstShape::Paint() {
  ++Paints;
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(TRect(0, 0, Width(), Height()));
}

void TTstShape::DoClick() {
  ++Clicks;
  Log.push_back("click");
  TGraphicControl::DoClick();
}

void TTstShape::MouseDown(TMouseButton, TShiftState, int32_t x, int32_t y) {
  Log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
}

void TTstShape::MouseUp(TMouseButton, TShiftState, int32_t x, int32_t y) {
  Log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
}

void TTstShape::WndProc(TMessage& m) {
  if (m.Msg == CM_MOUSEENTER) ++Enters;
  if (m.Msg == CM_MOUSELEAVE) ++Leaves;
  TGraphicControl::WndProc(m);
}

void TTstPanel::Publish(TPublisher<TTstPanel>& p) {
  p.Property("Color", &TTstPanel::Color, &TTstPanel::SetColor).Idents(ColorIdents());
}

void TTstPanel::Paint() {
  ++Paints;
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

void TTstBox::Publish(TPublisher<TTstBox>& p) {
  p.Property("TabStop", &TTstBox::TabStop, &TTstBox::SetTabStop).Default(true);
  p.Event("OnKeyDown", &TTstBox::OnKeyDown);
}

void TTstBox::Paint() {
  Canvas()->Brush()->SetColor(Focused() ? kClHighlight : kClWindow);
  Canvas()->FillRect(ClientRect());
}

void TTstBox::KeyDown(uint16_t& key, TShiftState shift) {
  Keys.push_back(key);
  TCustomControl::KeyDown(key, shift);
}

void TTstBox::DoEnter() {
  ++Enters;
  TCustomControl::DoEnter();
}

void TTstBox::DoExit() {
  ++Exits;
  TCustomControl::DoExit();
}

void RegisterWindowTestClasses() {
  RegisterClasses({&TTstShape::StaticClass(), &TTstPanel::StaticClass(), &TTstBox::StaticClass()});
}
