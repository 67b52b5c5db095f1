// The device scan over the fake provider: time per device must stay flat
// from a thousand devices to a hundred thousand (the table grows linearly).
#include <benchmark/benchmark.h>

#include "fake_device_setup.h"
#include "scan_device_inventory.h"

namespace {

// Devices with values of typical lengths: every property read copies a text.
FakeDeviceSetup MakeSetup(int devices) {
  FakeDeviceSetup setup;
  setup.RecordCalls = false;
  FakeDeviceSetup::SetupClass usb{"USB", {kUsbClassGuid}, {}};
  usb.Devices.reserve(static_cast<size_t>(devices));
  for (int i = 0; i < devices; ++i) {
    FakeDeviceSetup::Device d;
    d.Description = "Standard Enhanced PCI to USB Host Controller";
    d.Driver = "{36FC9E60-C465-11CF-8056-444553540000}\\" + std::to_string(i);
    if (i % 3 == 0) d.FriendlyName = "Generic USB Hub";
    if (i % 5 == 0) d.PortName = "COM" + std::to_string(i % 9 + 1);
    usb.Devices.push_back(d);
  }
  setup.Classes.push_back(std::move(usb));
  return setup;
}

void BM_ScanDeviceInventory(benchmark::State& state) {
  const int devices = static_cast<int>(state.range(0));
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
    state.PauseTiming();
    FakeDeviceSetup setup = MakeSetup(devices);
    InventoryTable table(1);
    state.ResumeTiming();
    benchmark::DoNotOptimize(ScanDeviceInventory(setup, "USB", table));
    state.PauseTiming();
    { InventoryTable released = std::move(table); }  // the table's release is not the scan's cost
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * devices);
  state.counters["ns_per_device"] = benchmark::Counter(
      static_cast<double>(devices), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScanDeviceInventory)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
