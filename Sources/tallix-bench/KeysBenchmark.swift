import Foundation
import QVRTallixModel

/// `tallix-bench keys`: one key press followed by `result` and `stringDescription` on an
/// expression of 50 components (target: under 100 µs).
enum KeysBenchmark {
    @MainActor static func run() {
        let expression = QVRTallixExpression()
        let pattern = "12+3.5*(4-1)/7^2-"
        var typed = 0
        var index = pattern.startIndex
        while expression.components.count < 49 {
            expression.handleKey(QVRTallixExpression.keyTypeFromString(String(pattern[index])))
            index = pattern.index(after: index)
            if index == pattern.endIndex { index = pattern.startIndex }
            typed += 1
        }
        expression.handleKey(QVRTallixExpression.keyTypeFromString("8"))
        let size = expression.components.count
        var press = 0
        let seconds = Benchmark.medianSeconds(samples: 31, batch: 200) {
            // Alternately type a digit and delete it, so that the expression keeps its size.
            press += 1
            expression.handleKey(press % 2 == 1 ? QVRTallixKeyType.digit(5) : QVRTallixKeyType.delete)
            blackHole(expression.result)
            blackHole(expression.stringDescription)
        }
        print("keys (expression of \(size) components):")
        Benchmark.report("key + result + text", seconds: seconds, targetSeconds: 100e-6)
    }
}
