// Forms linked into the program as RCDATA resources named after their
// classes (ky_form_resources in the build), and reading them at start.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"

// The bytes of the RCDATA resource of that name in module (nullptr: the
// program); false when there is none.
bool FindFormResource(const std::string& name, std::vector<uint8_t>& bytes, void* module = nullptr);

// Reads root's form: the resources named after its class and its ancestor
// classes below stopClass, ancestors first, in one loading pass (Loaded once
// per component at the end). False when none of the classes has a resource.
bool InitInheritedComponent(TComponent* root, const TClassInfo& stopClass, void* module = nullptr);

// Makes a form of class T and reads it from its resources; raises
// EResNotFound when T has no form resource.
class EResNotFound : public Exception { using Exception::Exception; };

template <class T>
T* CreateFormFromResource(TComponent* owner, const TClassInfo& stopClass, void* module = nullptr) {
  std::unique_ptr<T> form(new T(owner));
  if (!InitInheritedComponent(form.get(), stopClass, module))
    throw EResNotFound("Resource " + T::StaticClass().Name() + " not found");
  return form.release();
}
