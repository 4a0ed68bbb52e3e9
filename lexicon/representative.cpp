#include "lexicon/representative.h"

#include <cstddef>
#include <cstring>
#include <string_view>

#include "text/ahashmap.h"
#include "text/codepage.h"
#include "text/gbk_bytes.h"
#include "text/utf8.h"

// Syllable, then the characters for tones 1 to 5 ('-': none).
const RepresentativeRow RepresentativeTable[] = {
    {"a", "阿啊啊啊啊"},    {"ai", "哀癌矮爱-"},    {"an", "氨-俺岸-"},     {"ang", "肮昂-盎-"},
    {"ao", "凹翱袄傲-"},    {"e", "屙鹅恶遏诶"},    {"en", "恩嗯嗯摁-"},    {"yi", "医疑以亿-"},
    {"ya", "鸦芽雅讶-"},    {"yan", "烟言眼宴-"},   {"yang", "央杨养样-"},  {"yao", "腰姚咬药-"},
    {"ye", "椰爷也业-"},    {"yin", "音银引印-"},   {"ying", "英迎影硬-"},  {"yong", "拥喁永用-"},
    {"you", "优油友又哟"},  {"o", "喔哦---"},       {"ou", "欧-偶怄-"},     {"wu", "屋无五物-"},
    {"wa", "挖娃瓦袜哇"},   {"wai", "歪-崴外-"},    {"wan", "湾完晚万-"},   {"wang", "汪亡网望-"},
    {"wei", "威围委位-"},   {"wen", "温文稳问-"},   {"weng", "翁-蓊瓮-"},   {"wo", "窝哦我握-"},
    {"yu", "迂于与育-"},    {"yuan", "渊原远院-"},  {"yue", "约--阅-"},     {"yun", "晕云允运-"},
    {"er", "-而尔二-"},     {"ba", "巴拔靶罢-"},    {"bai", "掰白百败-"},   {"ban", "班-版办-"},
    {"bang", "邦-绑镑-"},   {"bao", "包薄保报-"},   {"bei", "悲-北备呗"},   {"ben", "奔-本笨-"},
    {"beng", "崩甭-泵-"},   {"bi", "逼鼻笔必-"},    {"bian", "编-贬变-"},   {"biao", "标-婊鳔-"},
    {"bie", "憋蹩瘪--"},    {"bin", "宾--殡-"},     {"bing", "冰-丙病-"},   {"bo", "拨驳跛檗卜"},
    {"bu", "逋醭补部-"},    {"chai", "拆柴-虿-"},   {"ca", "擦----"},       {"cai", "猜财采蔡-"},
    {"can", "餐残惨灿-"},   {"cang", "仓藏---"},    {"cao", "操曹草--"},    {"ce", "---册-"},
    {"cen", "-岑---"},      {"ceng", "噌层-蹭-"},   {"ci", "疵词此次-"},    {"cong", "聪从---"},
    {"cou", "---凑-"},      {"cu", "粗徂-促-"},     {"cuan", "蹿--篡-"},    {"cui", "崔-璀脆-"},
    {"cun", "村存忖寸-"},   {"cuo", "搓嵯脞错-"},   {"cha", "插查镲岔-"},   {"chan", "搀馋产颤-"},
    {"chang", "猖常厂唱-"}, {"chao", "超潮吵耖-"},  {"che", "车-扯彻-"},    {"chen", "嗔晨碜趁-"},
    {"cheng", "撑承逞秤-"}, {"chi", "吃持耻翅-"},   {"chong", "充虫宠铳-"}, {"chou", "抽绸丑臭-"},
    {"chu", "初除楚畜-"},   {"chuai", "搋--踹-"},   {"chuan", "川船喘串-"}, {"chuang", "窗床闯创-"},
    {"chui", "吹锤---"},    {"chun", "春纯蠢--"},   {"chuo", "戳--辍-"},    {"da", "搭达打大瘩"},
    {"dai", "呆-逮代-"},    {"dan", "丹-胆淡-"},    {"dang", "铛-党荡-"},   {"dao", "刀-导盗-"},
    {"de", "-德-的-"},      {"dei", "-----"},       {"deng", "登-等邓-"},   {"di", "滴敌底第-"},
    {"dia", "--嗲--"},      {"dian", "颠-点店-"},   {"diao", "雕--钓-"},    {"die", "跌碟---"},
    {"ding", "丁-鼎定-"},   {"diu", "丢----"},      {"dong", "东-董动-"},   {"dou", "兜-抖豆-"},
    {"du", "督独赌杜-"},    {"duan", "端-短断-"},   {"dui", "堆--队-"},     {"dun", "吨-盹盾-"},
    {"duo", "多夺躲舵-"},   {"fa", "发罚法珐-"},    {"fan", "翻凡返范-"},   {"fang", "方房仿放-"},
    {"fei", "飞肥匪肺-"},   {"fen", "纷坟粉奋-"},   {"feng", "风冯讽凤-"},  {"fo", "-佛---"},
    {"fou", "--否--"},      {"fu", "夫福俯富-"},    {"ga", "旮噶尕尬-"},    {"gai", "该-改概-"},
    {"gan", "甘-敢赣-"},    {"gang", "刚-港筻-"},   {"gao", "高-搞告-"},    {"ge", "歌格舸各-"},
    {"gei", "--给--"},      {"gen", "跟哏-亘-"},    {"geng", "庚-埂更-"},   {"gong", "公-巩供-"},
    {"gou", "沟-狗构-"},    {"gu", "辜-骨顾-"},     {"gua", "刮-寡挂-"},    {"guai", "乖-拐怪-"},
    {"guan", "官-管惯-"},   {"guang", "光-广逛-"},  {"gui", "规-轨贵-"},    {"gun", "--滚棍-"},
    {"guo", "郭国果过-"},   {"ha", "铪蛤---"},      {"hai", "嗨孩海害-"},   {"han", "憨韩喊汉-"},
    {"hang", "夯航-沆-"},   {"hao", "蒿豪郝耗-"},   {"he", "嗬河-贺-"},     {"hei", "黑----"},
    {"hen", "-痕很恨-"},    {"heng", "亨衡---"},    {"hong", "轰鸿哄讧-"},  {"hou", "-喉吼厚-"},
    {"hu", "乎胡虎互-"},    {"hua", "花猾-画-"},    {"huai", "-怀-坏-"},    {"huan", "欢环缓患-"},
    {"huang", "慌皇幌晃-"}, {"hui", "挥回毁汇-"},   {"hun", "婚魂-诨-"},    {"huo", "劐活火货-"},
    {"ji", "机级己计-"},    {"jia", "嘉荚甲驾-"},   {"jian", "坚-检建-"},   {"jiang", "江-讲匠-"},
    {"jiao", "胶嚼搅叫-"},  {"jie", "接截姐界-"},   {"jin", "今-紧晋-"},    {"jing", "经-警竟-"},
    {"jiong", "扃-炯--"},   {"jiu", "究-九旧-"},    {"ju", "居局举具-"},    {"juan", "捐-卷倦-"},
    {"jue", "撅决-倔-"},    {"jun", "军--竣-"},     {"ka", "咖-佧--"},      {"kai", "开-凯忾-"},
    {"kan", "刊-砍瞰-"},    {"kang", "康扛-抗-"},   {"kao", "尻-考靠-"},    {"ke", "科咳渴客-"},
    {"ken", "--肯裉-"},     {"keng", "坑----"},     {"kong", "崆-恐控-"},   {"kou", "抠-口扣-"},
    {"ku", "哭-苦裤-"},     {"kua", "夸-垮跨-"},    {"kuai", "--蒯快-"},    {"kuan", "宽-款--"},
    {"kuang", "筐狂夼矿-"}, {"kui", "亏葵跬馈-"},   {"kun", "昆-捆困-"},    {"kuo", "---扩-"},
    {"la", "垃旯喇腊-"},    {"lai", "-来-赖-"},     {"lan", "-兰览烂-"},    {"lang", "啷廊朗浪-"},
    {"lao", "捞劳老酪-"},   {"le", "肋--叻-"},      {"lei", "-雷蕾类嘞"},   {"leng", "-楞冷愣-"},
    {"li", "-离礼例-"},     {"lia", "--俩--"},      {"lian", "-联脸练-"},   {"liang", "-梁两亮-"},
    {"liao", "撩疗潦料-"},  {"lie", "--咧列-"},     {"lin", "-邻凛赁-"},    {"ling", "拎零领另-"},
    {"liu", "熘流柳六-"},   {"lo", "-----"},        {"long", "-龙垄--"},    {"lou", "-楼篓陋喽"},
    {"lu", "噜卢鲁路-"},    {"luan", "-峦卵乱-"},   {"lun", "抡轮-论-"},    {"luo", "-逻裸洛-"},
    {"lv", "-驴吕律-"},     {"lue", "---略-"},      {"ma", "妈麻马骂嘛"},   {"mai", "-霾买卖-"},
    {"man", "颟瞒满慢-"},   {"mang", "-忙莽--"},    {"mao", "猫毛卯帽-"},   {"me", "----么"},
    {"mei", "-眉美妹-"},    {"men", "-门-焖-"},     {"meng", "-萌猛梦-"},   {"mi", "咪迷米密-"},
    {"mian", "-棉免面-"},   {"miao", "喵苗藐庙-"},  {"mie", "咩--灭-"},     {"min", "-民敏--"},
    {"ming", "-明酩命-"},   {"miu", "---谬-"},      {"mo", "摸摹抹末-"},    {"mou", "哞谋某--"},
    {"mu", "-毪母目-"},     {"na", "-拿哪纳-"},     {"nai", "--乃耐-"},     {"nan", "囡男腩--"},
    {"nang", "囔囊攮--"},   {"nao", "孬挠脑闹-"},   {"ne", "---讷呢"},      {"nei", "--馁内-"},
    {"nen", "---嫩-"},      {"neng", "-能---"},     {"ni", "妮尼你匿-"},    {"nian", "拈年撵念-"},
    {"niang", "-娘-酿-"},   {"niao", "--茑尿-"},    {"nie", "捏--聂-"},     {"nin", "-您---"},
    {"ning", "-宁拧泞-"},   {"niu", "妞牛纽--"},    {"nong", "-农-弄-"},    {"nou", "---耨-"},
    {"nu", "-奴努怒-"},     {"nuan", "--暖--"},     {"nuo", "-挪-诺-"},     {"nv", "--女恧-"},
    {"nue", "---虐-"},      {"pa", "葩爬-怕-"},     {"pai", "拍牌-湃-"},    {"pan", "潘盘-盼-"},
    {"pang", "乓旁耪胖-"},  {"pao", "抛袍跑疱-"},   {"pei", "呸赔-配-"},    {"pen", "喷盆---"},
    {"peng", "抨朋捧碰-"},  {"pi", "批皮痞譬-"},    {"pian", "篇骈谝骗-"},  {"piao", "飘瓢殍票-"},
    {"pie", "瞥-丿--"},     {"pin", "拼频品聘-"},   {"ping", "乒平---"},    {"po", "颇婆叵破-"},
    {"pou", "剖裒掊--"},    {"pu", "扑莆普瀑-"},    {"qi", "七其起汽-"},    {"qia", "掐--恰-"},
    {"qian", "千前遣欠-"},  {"qiang", "枪墙抢呛-"}, {"qiao", "敲桥巧撬-"},  {"qie", "切茄且窃-"},
    {"qin", "亲勤锓沁-"},   {"qing", "青情请庆-"},  {"qiong", "-穷---"},    {"qiu", "邱求糗--"},
    {"qu", "驱渠取去-"},    {"quan", "悛全犬劝-"},  {"que", "缺瘸-确-"},    {"qun", "逡群---"},
    {"ran", "-然染--"},     {"rang", "-瓤壤让-"},   {"rao", "-饶扰绕-"},    {"re", "--惹热-"},
    {"ren", "-人忍认-"},    {"reng", "扔仍---"},    {"ri", "---日-"},       {"rong", "-融冗--"},
    {"rou", "-柔-肉-"},     {"ru", "-如辱入-"},     {"ruan", "--软--"},     {"rui", "-蕤蕊瑞-"},
    {"run", "---润-"},      {"ruo", "---若-"},      {"sa", "仨-洒卅-"},     {"sai", "腮--赛-"},
    {"san", "三-伞散-"},    {"sang", "桑-嗓丧-"},   {"sao", "搔-嫂埽-"},    {"se", "---瑟-"},
    {"sen", "森----"},      {"seng", "僧----"},     {"si", "私-死泗-"},     {"song", "松-耸送-"},
    {"sou", "搜-叟嗽-"},    {"su", "苏俗-素-"},     {"suan", "酸--算-"},    {"sui", "虽随髓岁-"},
    {"sun", "孙-损--"},     {"suo", "唆-所-嗦"},    {"sha", "杀啥傻唼-"},   {"shai", "筛--晒-"},
    {"shan", "山-闪善-"},   {"shang", "商-赏尚-"},  {"shao", "烧芍少绍-"},  {"she", "奢舌舍设-"},
    {"shei", "-----"},      {"shen", "身神审慎-"},  {"sheng", "生绳眚圣-"}, {"shi", "师十使是-"},
    {"shou", "收-手受-"},   {"shu", "书赎署述-"},   {"shua", "唰-耍刷-"},   {"shuai", "摔-甩帅-"},
    {"shuan", "栓--涮-"},   {"shuang", "双-爽--"},  {"shui", "-谁水睡-"},   {"shun", "--吮顺-"},
    {"shuo", "说--硕-"},    {"ta", "他-塔榻-"},     {"tai", "胎抬-太-"},    {"tan", "贪谈坦探-"},
    {"tang", "耥堂躺烫-"},  {"tao", "滔逃讨套-"},   {"te", "---特忒"},      {"teng", "-腾---"},
    {"ti", "梯题体替-"},    {"tian", "天填舔掭-"},  {"tiao", "佻条窕眺-"},  {"tie", "贴-铁餮-"},
    {"ting", "听停挺--"},   {"tong", "嗵童统痛-"},  {"tou", "偷投钭透-"},   {"tu", "突途钍兔-"},
    {"tuan", "湍团疃彖-"},  {"tui", "推颓腿退-"},   {"tun", "吞臀氽--"},    {"tuo", "托鸵妥唾-"},
    {"xi", "西席喜细-"},    {"xia", "瞎峡-下-"},    {"xian", "先贤险现-"},  {"xiang", "香详响向-"},
    {"xiao", "消崤小效-"},  {"xie", "些胁写谢-"},   {"xin", "新镡-信-"},    {"xing", "星形醒幸-"},
    {"xiong", "兄雄---"},   {"xiu", "修-朽袖-"},    {"xu", "须徐许续蓿"},   {"xuan", "宣悬选眩-"},
    {"xue", "薛学雪谑-"},   {"xun", "勋询-讯-"},    {"za", "匝杂咋--"},     {"zai", "栽-宰在-"},
    {"zan", "簪咱昝赞-"},   {"zang", "赃-驵葬-"},   {"zao", "遭凿早造-"},   {"ze", "-则-仄-"},
    {"zei", "-贼---"},      {"zen", "--怎谮-"},     {"zeng", "增--赠-"},    {"zi", "资-紫自-"},
    {"zong", "宗-总纵-"},   {"zou", "邹-走奏-"},    {"zu", "租足组--"},     {"zuan", "躜-纂攥-"},
    {"zui", "--嘴最-"},     {"zun", "尊-撙--"},     {"zuo", "嘬昨左做-"},   {"zha", "渣铡眨榨-"},
    {"zhai", "斋宅窄债-"},  {"zhan", "沾-展站-"},   {"zhang", "张-掌胀-"},  {"zhao", "招-找照-"},
    {"zhe", "遮哲者蔗着"},  {"zhei", "-----"},      {"zhen", "真-诊阵-"},   {"zheng", "征-整证-"},
    {"zhi", "之值止至-"},   {"zhong", "终-肿众-"},  {"zhou", "洲妯肘骤-"},  {"zhu", "珠逐主助-"},
    {"zhua", "抓----"},     {"zhuai", "---拽-"},    {"zhuan", "专-转撰-"},  {"zhuang", "装-奘状-"},
    {"zhui", "追--坠-"},    {"zhun", "谆-准--"},    {"zhuo", "桌擢---"},
};

namespace {

struct RepresentativeStore {
    AHashMap<AString, typFaShegDaiBioZi> map{64};
    char gbk[kRepresentativeRows][5][3] = {};  // the texts the map points to
};

RepresentativeStore& Store() {
    static RepresentativeStore store;
    return store;
}

}  // namespace

void BuildRepresentativeMap() {
    RepresentativeStore& s = Store();
    if (!s.map.IsEmpty()) return;
    for (int r = 0; r < kRepresentativeRows; r++) {
        const RepresentativeRow& row = RepresentativeTable[r];
        typFaShegDaiBioZi entry{};
        std::strncpy(entry.syllable, row.syllable, sizeof entry.syllable - 1);
        const std::string_view chars = row.chars;  // UTF-8, all in the BMP
        std::size_t at = 0;
        for (int t = 0; t < 5 && at < chars.size(); t++) {
            char16_t unit = static_cast<char16_t>(DecodeUtf8(chars, at));
            char* out = s.gbk[r][t];
            if (unit != u'-' && Utf16ToMultiByte(kCodePageGbk, &unit, 1, out, 2) == 2) entry.tones[t] = out;
        }
        s.map[AString(row.syllable)] = entry;
    }
}

int RepresentativeMapCount() { return Store().map.GetCount(); }

const typFaShegDaiBioZi* FindRepresentative(const AString& syllable) {
    AString key = syllable;
    ExpandSyllable(key);
    return Store().map.Find(key);
}

void GetRepresentativeChar(AString& out, const AString& syllable, int toneIndex) {
    out.Empty();
    if (toneIndex < 0 || toneIndex > 4) return;
    const typFaShegDaiBioZi* entry = FindRepresentative(syllable);
    if (entry && entry->tones[toneIndex]) out = entry->tones[toneIndex];
}
