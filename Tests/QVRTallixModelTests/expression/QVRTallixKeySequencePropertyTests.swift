import Foundation
import Testing

@testable import QVRTallixModel

@Suite("Property: random key sequences")
struct QVRTallixKeySequencePropertyTests {
    static let sequencesPerChunk = 12_500
    static let chunks = 8

    /// 8 × 12,500 = 100,000 seeded random key sequences of 1 to 40 keys over every key type (and
    /// a few values above 61): none crashes, the component list is never empty, `result` is never
    /// absent and has a value, and `stringDescription` and an archive round trip always work.
    @Test("100,000 random key sequences never crash, never empty the list, always have a result", arguments: 0..<chunks)
    func randomSequences(_ chunk: Int) throws {
        try withTestEnvironment { _ in
            for index in 0..<Self.sequencesPerChunk {
                let seed = UInt64(chunk * Self.sequencesPerChunk + index) &* 0x2545_F491_4F6C_DD1D
                try checkSequence(seed: seed)
            }
        }
    }

    func checkSequence(seed: UInt64) throws {
        var generator = SeededRandomNumberGenerator(seed: seed)
        let expression = QVRTallixExpression()
        let length = Int.random(in: 1...40, using: &generator)
        var keys: [UInt64] = []
        for _ in 0..<length {
            let key =
                Bool.random(using: &generator) && Int.random(in: 0..<50, using: &generator) == 0
                ? UInt64.random(in: 62...200, using: &generator)
                : UInt64.random(in: 0...61, using: &generator)
            keys.append(key)
            expression.handleKey(QVRTallixKeyType(rawValue: key))
            guard !expression.components.isEmpty else {
                Issue.record("empty component list after keys \(keys) (seed \(seed))")
                return
            }
        }
        let result = expression.result
        #expect(result.decimalNumber != nil, "result without value for keys \(keys) (seed \(seed))")
        #expect(!expression.stringDescription.isEmpty, "seed \(seed)")
        if seed % 64 == 0 {
            let data = try QVRKeyedArchiver.archivedData(withRootObject: expression)
            let decoded =
                try QVRKeyedUnarchiver.unarchivedObject(
                    ofClasses: QVRTallixExpression.archiveClasses, from: data) as? QVRTallixExpression
            #expect(decoded?.components.count == expression.components.count, "seed \(seed)")
        }
    }
}
