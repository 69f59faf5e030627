import Foundation

/// Reads a binary property list ("bplist00") from any bytes without ever trapping.
///
/// Foundation's reader on Linux ends the process on some hostile inputs (a set holding a
/// dictionary crashes while it is bridged to Swift), so archives and files from outside the
/// process are read here. Every offset, count and reference is checked against the bytes; an
/// object that contains itself, nesting deeper than ``maximumDepth``, and the kinds that the
/// library never writes (sets, UIDs, null) make the bytes malformed. Each object is read once,
/// so lists that share their elements cannot multiply the work.
///
/// Values come out as the Swift types of Foundation's reader: `[String: Any]`, `[Any]`,
/// `String`, `Int`, `Double`, `Bool`, `Date` and `Data`.
struct QVRBinaryPropertyListReader {
    /// Deeper than any property list of the library (archives nest four levels).
    static let maximumDepth = 100

    private static let trailerSize = 32
    private static let headerSize = 8

    private let bytes: [UInt8]
    private let offsetSize: Int
    private let referenceSize: Int
    private let objectCount: Int
    private let topObject: Int
    private let offsetTableStart: Int
    private var cache: [Int: Any] = [:]
    private var inProgress: Set<Int> = []

    /// Whether `data` starts as a binary property list.
    static func isBinaryPropertyList(_ data: Data) -> Bool {
        data.starts(with: Array("bplist00".utf8))
    }

    /// The top object of the binary property list in `data`.
    static func propertyList(from data: Data) throws(QVRArchiveError) -> Any {
        var reader = try QVRBinaryPropertyListReader(data: data)
        return try reader.object(reader.topObject, depth: 0)
    }

    private init(data: Data) throws(QVRArchiveError) {
        bytes = [UInt8](data)
        guard bytes.count >= Self.headerSize + Self.trailerSize, Self.isBinaryPropertyList(data) else {
            throw .malformed("not a binary property list")
        }
        let trailer = bytes.count - Self.trailerSize
        offsetSize = Int(bytes[trailer + 6])
        referenceSize = Int(bytes[trailer + 7])
        guard (1...8).contains(offsetSize), (1...8).contains(referenceSize) else {
            throw .malformed("binary property list with bad integer sizes")
        }
        objectCount = try Self.unsigned(bytes, at: trailer + 8, size: 8)
        topObject = try Self.unsigned(bytes, at: trailer + 16, size: 8)
        offsetTableStart = try Self.unsigned(bytes, at: trailer + 24, size: 8)
        guard offsetTableStart >= Self.headerSize, offsetTableStart <= trailer, objectCount > 0,
            objectCount <= (trailer - offsetTableStart) / offsetSize, topObject < objectCount
        else { throw .malformed("binary property list with a bad trailer") }
    }

    /// The big-endian unsigned integer of `size` bytes (at most 8) at `offset`.
    private static func unsigned(_ bytes: [UInt8], at offset: Int, size: Int) throws(QVRArchiveError) -> Int {
        guard size >= 1, size <= 8, offset >= 0, offset <= bytes.count - size else {
            throw .malformed("binary property list integer out of range")
        }
        var value: UInt64 = 0
        for index in offset..<(offset + size) {
            value = value << 8 | UInt64(bytes[index])
        }
        guard value <= UInt64(Int.max) else { throw .malformed("binary property list integer too large") }
        return Int(value)
    }

    private func unsigned(at offset: Int, size: Int) throws(QVRArchiveError) -> Int {
        try Self.unsigned(bytes, at: offset, size: size)
    }

    // MARK: - Objects

    private mutating func object(_ reference: Int, depth: Int) throws(QVRArchiveError) -> Any {
        guard reference >= 0, reference < objectCount else { throw .malformed("reference \(reference) out of range") }
        if let done = cache[reference] { return done }
        guard depth < Self.maximumDepth else { throw .tooDeep }
        guard !inProgress.contains(reference) else { throw .cycle }
        inProgress.insert(reference)
        defer { inProgress.remove(reference) }
        let offset = try unsigned(at: offsetTableStart + reference * offsetSize, size: offsetSize)
        guard offset >= Self.headerSize, offset < offsetTableStart else {
            throw .malformed("object offset out of range")
        }
        let value = try objectValue(at: offset, depth: depth)
        cache[reference] = value
        return value
    }

    private mutating func objectValue(at offset: Int, depth: Int) throws(QVRArchiveError) -> Any {
        let marker = bytes[offset]
        let low = Int(marker & 0x0F)
        switch marker >> 4 {
        case 0x0:
            switch low {
            case 0x8: return false
            case 0x9: return true
            default: throw .malformed("null or fill object")
            }
        case 0x1:
            return try integer(at: offset + 1, sizeExponent: low)
        case 0x2:
            if low == 2 { return Double(Float(bitPattern: UInt32(try unsigned(at: offset + 1, size: 4)))) }
            if low == 3 { return try double(at: offset + 1) }
            throw .malformed("real of bad size")
        case 0x3:
            guard low == 3 else { throw .malformed("date of bad size") }
            return Date(timeIntervalSinceReferenceDate: try double(at: offset + 1))
        case 0x4:
            let (count, start) = try count(low, at: offset, elementSize: 1)
            return Data(bytes[start..<(start + count)])
        case 0x5:
            let (count, start) = try count(low, at: offset, elementSize: 1)
            let slice = bytes[start..<(start + count)]
            guard slice.allSatisfy({ $0 < 0x80 }) else { throw .malformed("ASCII text that is not ASCII") }
            return String(decoding: slice, as: UTF8.self)
        case 0x6:
            let (count, start) = try count(low, at: offset, elementSize: 2)
            var units: [UInt16] = []
            units.reserveCapacity(count)
            for index in 0..<count {
                units.append(UInt16(bytes[start + 2 * index]) << 8 | UInt16(bytes[start + 2 * index + 1]))
            }
            guard let text = String(validating: units, as: UTF16.self) else { throw .malformed("bad UTF-16 text") }
            return text
        case 0x7:
            let (count, start) = try count(low, at: offset, elementSize: 1)
            guard let text = String(validating: bytes[start..<(start + count)], as: UTF8.self) else {
                throw .malformed("bad UTF-8 text")
            }
            return text
        case 0xA:
            let (count, start) = try count(low, at: offset, elementSize: referenceSize)
            var list: [Any] = []
            list.reserveCapacity(count)
            for index in 0..<count {
                let reference = try unsigned(at: start + index * referenceSize, size: referenceSize)
                list.append(try object(reference, depth: depth + 1))
            }
            return list
        case 0xD:
            let (count, start) = try count(low, at: offset, elementSize: 2 * referenceSize)
            var dictionary: [String: Any] = [:]
            for index in 0..<count {
                let keyReference = try unsigned(at: start + index * referenceSize, size: referenceSize)
                let valueReference = try unsigned(at: start + (count + index) * referenceSize, size: referenceSize)
                guard let key = try object(keyReference, depth: depth + 1) as? String else {
                    throw .malformed("dictionary key that is no text")
                }
                dictionary[key] = try object(valueReference, depth: depth + 1)
            }
            return dictionary
        default:
            throw .malformed("object of kind \(marker >> 4), which the library does not write")
        }
    }

    /// An integer of 2^exponent bytes: 1, 2 and 4 bytes unsigned, 8 bytes signed, 16 bytes when
    /// its upper half is zero and the rest fits.
    private func integer(at offset: Int, sizeExponent: Int) throws(QVRArchiveError) -> Int {
        switch sizeExponent {
        case 0, 1, 2:
            return try unsigned(at: offset, size: 1 << sizeExponent)
        case 3:
            guard offset >= 0, offset <= bytes.count - 8 else { throw .malformed("integer out of range") }
            var value: UInt64 = 0
            for index in offset..<(offset + 8) { value = value << 8 | UInt64(bytes[index]) }
            return Int(Int64(bitPattern: value))
        case 4:
            guard try unsigned(at: offset, size: 4) == 0, try unsigned(at: offset + 4, size: 4) == 0 else {
                throw .malformed("integer beyond 64 bits")
            }
            return try unsigned(at: offset + 8, size: 8)
        default:
            throw .malformed("integer of bad size")
        }
    }

    private func double(at offset: Int) throws(QVRArchiveError) -> Double {
        guard offset >= 0, offset <= bytes.count - 8 else { throw .malformed("real out of range") }
        var value: UInt64 = 0
        for index in offset..<(offset + 8) { value = value << 8 | UInt64(bytes[index]) }
        return Double(bitPattern: value)
    }

    /// The element count of the object at `offset` (from its marker, or the integer after it)
    /// and where its elements start; throws unless all of them lie before the offset table.
    private func count(_ low: Int, at offset: Int, elementSize: Int) throws(QVRArchiveError) -> (Int, Int) {
        var count = low
        var start = offset + 1
        if low == 0xF {
            guard start < offsetTableStart else { throw .malformed("count out of range") }
            let marker = bytes[start]
            guard marker >> 4 == 0x1, marker & 0x0F <= 3 else { throw .malformed("bad count") }
            let size = 1 << Int(marker & 0x0F)
            count = try unsigned(at: start + 1, size: size)
            start += 1 + size
        }
        guard start <= offsetTableStart, count <= (offsetTableStart - start) / max(elementSize, 1) else {
            throw .malformed("object runs past its bytes")
        }
        return (count, start)
    }
}
