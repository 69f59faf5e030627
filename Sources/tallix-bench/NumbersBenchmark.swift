import Foundation
import QVRTallixModel

/// `tallix-bench numbers`: the number operations of Parts 1.1 to 1.4.
enum NumbersBenchmark {
    @MainActor static func run() {
        let a = QVRTallixNumber(number: QVRTallixDecimal(string: "12345678901234567890123456789012345678"))
        let b = QVRTallixNumber(number: QVRTallixDecimal(string: "98765432109876543210987654321098765432"))
        let small = QVRTallixNumber(number: QVRTallixDecimal(string: "0.5"))
        let seven = QVRTallixNumber(number: QVRTallixDecimal(17))
        let third = QVRTallixNumber(number: QVRTallixDecimal.one).divide(QVRTallixNumber(number: QVRTallixDecimal(3)))
        let editable = QVRTallixEditableNumber(string: "-12345|678")
        print("numbers (38-digit operands where it matters):")
        Benchmark.report("add:", seconds: Benchmark.medianSeconds { blackHole(a.add(b)) }, targetSeconds: 1e-6)
        Benchmark.report(
            "multiply:", seconds: Benchmark.medianSeconds { blackHole(a.multiply(b)) }, targetSeconds: 1e-6)
        Benchmark.report("divide:", seconds: Benchmark.medianSeconds { blackHole(a.divide(b)) }, targetSeconds: 1e-6)
        Benchmark.report("sin:", seconds: Benchmark.medianSeconds { blackHole(small.sin(false)) })
        Benchmark.report("factorial", seconds: Benchmark.medianSeconds { blackHole(seven.factorial()) })
        Benchmark.report(
            "formattedString", seconds: Benchmark.medianSeconds { blackHole(third.formattedString) },
            targetSeconds: 5e-6)
        Benchmark.report("editString", seconds: Benchmark.medianSeconds { blackHole(editable.editString) })
    }
}
