#pragma once
// Crafted chart features for the portrayal tests: a class acronym, a
// primitive, attribute texts and geometry parts in projected metres, kept in a
// source that answers the neighbour queries by box.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "charts/s52/S52Feature.h"

namespace tarnwick::testing {

using S52Ring = std::vector<S52Point>;

// A closed square ring from (x0, y0) to (x1, y1).
inline S52Ring Square(double x0, double y0, double x1, double y1) {
  return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
}

class CCraftedFeature final : public IS52Feature {
 public:
  CCraftedFeature(std::string acronym, S52Primitive primitive, std::map<std::string, std::string> attributes,
                  std::vector<S52Ring> parts, uint64_t key)
      : acronym_(std::move(acronym)), primitive_(primitive), attributes_(std::move(attributes)),
        parts_(std::move(parts)), key_(key) {}

  std::string_view Acronym() const override { return acronym_; }
  S52Primitive Primitive() const override { return primitive_; }
  std::optional<std::string_view> Attribute(std::string_view acronym) const override {
    auto it = attributes_.find(std::string(acronym));
    if (it == attributes_.end()) return std::nullopt;
    return std::string_view(it->second);
  }
  size_t PartCount() const override { return parts_.size(); }
  S52Part Part(size_t index) const override {
    S52Part part;
    part.points = parts_[index];
    if (index < depths_.size()) part.depths = depths_[index];
    if (index < quapos_.size()) part.quapos = quapos_[index];
    return part;
  }
  S52Box Box() const override {
    S52Box box{1e300, 1e300, -1e300, -1e300};
    for (const auto& part : parts_)
      for (const auto& p : part) {
        box.west = std::min(box.west, p.x);
        box.south = std::min(box.south, p.y);
        box.east = std::max(box.east, p.x);
        box.north = std::max(box.north, p.y);
      }
    return box;
  }
  uint64_t Key() const override { return key_; }

  CCraftedFeature& Depths(std::vector<std::vector<double>> depths) {
    depths_ = std::move(depths);
    return *this;
  }
  CCraftedFeature& Quapos(std::vector<int> quapos) {
    quapos_ = std::move(quapos);
    return *this;
  }
  CCraftedFeature& Set(const std::string& attribute, const std::string& value) {
    attributes_[attribute] = value;
    return *this;
  }

 private:
  std::string acronym_;
  S52Primitive primitive_;
  std::map<std::string, std::string> attributes_;
  std::vector<S52Ring> parts_;
  std::vector<std::vector<double>> depths_;
  std::vector<int> quapos_;
  uint64_t key_;
};

class CCraftedSource final : public IS52FeatureSource {
 public:
  explicit CCraftedSource(bool inland = false) : inland_(inland) {}

  CCraftedFeature& Add(std::string acronym, S52Primitive primitive, std::map<std::string, std::string> attributes,
                       std::vector<S52Ring> parts) {
    features_.push_back(std::make_unique<CCraftedFeature>(std::move(acronym), primitive, std::move(attributes),
                                                          std::move(parts), features_.size() + 1));
    return *features_.back();
  }
  CCraftedFeature& Point(std::string acronym, double x, double y, std::map<std::string, std::string> attributes = {}) {
    return Add(std::move(acronym), S52Primitive::Point, std::move(attributes), {{{x, y}}});
  }
  CCraftedFeature& Area(std::string acronym, S52Ring ring, std::map<std::string, std::string> attributes = {}) {
    return Add(std::move(acronym), S52Primitive::Area, std::move(attributes), {std::move(ring)});
  }
  CCraftedFeature& Line(std::string acronym, S52Ring line, std::map<std::string, std::string> attributes = {}) {
    return Add(std::move(acronym), S52Primitive::Line, std::move(attributes), {std::move(line)});
  }

  void ForEachAround(const S52Box& box, std::span<const std::string_view> classes,
                     const std::function<void(const IS52Feature&)>& visit) const override {
    for (const auto& feature : features_) {
      bool wanted = false;
      for (auto cls : classes) wanted = wanted || cls == feature->Acronym();
      if (wanted && feature->Box().Intersects(box)) visit(*feature);
    }
  }
  bool Inland() const override { return inland_; }

 private:
  bool inland_;
  std::vector<std::unique_ptr<CCraftedFeature>> features_;
};

}  // namespace tarnwick::testing
