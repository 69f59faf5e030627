import Foundation
import QVRTallixModel

/// `tallix-bench units`: `convertNumber(_:fromUnit:toUnit:)` of Part 5.1 over the bundled
/// catalogue (Parts 5.2, 5.3): a factor unit to a factor unit, and a temperature scale with
/// offsets in both directions.
enum UnitsBenchmark {
    @MainActor static func run() {
        print("units (bundled catalogue):")
        guard let length = QVRTallixUnitCategory.categoryNamed("Length"),
            let inch = length.unitNamed("inch"), let mile = length.unitNamed("mile"),
            let temperature = QVRTallixUnitCategory.categoryNamed("Temperature"),
            let celsius = temperature.unitNamed("celsius"), let fahrenheit = temperature.unitNamed("fahrenheit")
        else {
            print("  the bundled catalogue lacks Length (inch, mile) or Temperature (celsius, fahrenheit)")
            return
        }
        let value = QVRTallixNumber(number: QVRTallixDecimal(string: "1234.5678"))
        Benchmark.report(
            "convert inch → mile",
            seconds: Benchmark.medianSeconds {
                blackHole(QVRTallixUnit.convertNumber(value, fromUnit: inch, toUnit: mile))
            },
            targetSeconds: 5e-6)
        Benchmark.report(
            "convert °C → °F",
            seconds: Benchmark.medianSeconds {
                blackHole(QVRTallixUnit.convertNumber(value, fromUnit: celsius, toUnit: fahrenheit))
            },
            targetSeconds: 5e-6)
        Benchmark.report(
            "formatedStringForNumber:",
            seconds: Benchmark.medianSeconds { blackHole(fahrenheit.formatedStringForNumber(value)) })
    }
}
